#include "support/game_cd.h"
#include "support/scratch.h"

const char game_folder[] = "G:\\VEXMOOR";
const char missing_folder[] = "G:\\MISSING";

namespace
{
const char *const child_roles[] = {"SETUP", "LATE", "SETSOUND", "GAME", "REPLAY"};
const char *const cd_files[] = {"E:\\setup.exe", "E:\\Setsound.exe", "E:\\vexmoor.bat",
                                "E:\\REPLAY.BAT"};

std::string In_Game_Folder(const char *name)
{
    return std::string(game_folder) + "\\" + name;
}
} // namespace

void FlowTest::SetUp()
{
    log = ChildLog();
    DeleteTree(company_key);
    for (const char *role : child_roles)
        SetChildActions(role, "");
    // CreateProcess looks beside the launcher before the current folder:
    // nothing of an earlier test may stay there.
    for (const char *file : cd_files)
        DeleteFileA(file);
    MakeFolders(game_folder);
    PlaceStandIn(In_Game_Folder("Setsound.exe"));
    PlaceBatchFile(In_Game_Folder("vexmoor.bat"), "GAME");
    PlaceBatchFile(In_Game_Folder("REPLAY.BAT"), "REPLAY");
}

void FlowTest::TearDown()
{
    DeleteTree(company_key);
}

void FlowTest::PlaceInstaller(const std::string &actions)
{
    PlaceStandIn("E:\\setup.exe");
    SetChildActions("SETUP", actions);
}

void FlowTest::RemoveGameFile(const char *name)
{
    ASSERT_TRUE(DeleteFileA(In_Game_Folder(name).c_str())) << name;
}

std::vector<std::string> WarningTexts(const std::vector<SeenBox> &boxes)
{
    std::vector<std::string> texts;
    for (const SeenBox &box : boxes) {
        EXPECT_EQ("Install", box.caption) << box.text;
        EXPECT_TRUE(box.owner && !box.owner_enabled) << box.text;
        texts.push_back(box.text);
    }
    return texts;
}

std::vector<std::string> Roles(const std::vector<ChildRun> &runs)
{
    std::vector<std::string> roles;
    for (const ChildRun &run : runs)
        roles.push_back(run.role);
    return roles;
}
