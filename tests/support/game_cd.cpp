#include "support/game_cd.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <algorithm>
#include <iterator>

const char game_folder[] = "G:\\VEXMOOR";
const char missing_folder[] = "G:\\MISSING";
const char polish_folder[] = u8"G:\\\u0141\u00F3d\u017A";
const char chinese_folder[] = u8"G:\\\u6E38\u620F";

namespace
{
const char *const child_roles[] = {"SETUP", "LATE", "SETSOUND", "GAME", "REPLAY"};
const char *const cd_files[] = {"E:\\setup.exe", "E:\\Setsound.exe", "E:\\vexmoor.bat",
                                "E:\\REPLAY.BAT"};
const char *const game_files[] = {"Setsound.exe", "vexmoor.bat", "REPLAY.BAT"};
const char other_company[] = "Software\\Elsewhere";
const char other_product[] = "Software\\Halvaro\\Other\\Version 2.0";
const char *const flow_programs[] = {"install.exe", "setup.exe", "Setsound.exe", "cmd.exe",
                                     "standin.exe"};

std::string In_Game_Folder(const char *name)
{
    return std::string(game_folder) + "\\" + name;
}
} // namespace

void FlowTest::SetUp()
{
    log = ChildLog();
    SetEnvironmentVariableA("STANDIN_RECORD_KEY", nullptr);
    DeleteTree(company_key);
    DeleteTree(other_company);
    WriteText((std::string(other_company) + "\\Game").c_str(), "path", "C:\\ELSEWHERE");
    WriteText(other_product, "folder", "G:\\OTHER");
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
    // Made by their Unicode names, as an installer makes them.
    for (const char *folder : {polish_folder, chinese_folder}) {
        std::wstring wide = Wide(folder);
        CreateDirectoryW(wide.c_str(), nullptr);
        for (const char *file : game_files)
            ASSERT_TRUE(CopyFileW(Wide(In_Game_Folder(file)).c_str(),
                                  (wide + L"\\" + Wide(file)).c_str(), FALSE))
                << folder << " " << file;
    }
}

void FlowTest::TearDown()
{
    DeleteTree(company_key);
    DeleteTree(other_company);
    DeleteTree(windows_98_key);
}

void FlowTest::PlaceInstaller(const std::string &actions, const Caller &)
{
    PlaceStandIn("E:\\setup.exe");
    SetChildActions("SETUP", actions);
}

void FlowTest::RemoveGameFile(const char *name, const Caller &)
{
    ASSERT_TRUE(DeleteFileA(In_Game_Folder(name).c_str())) << name;
}

void FlowTest::ExpectNothingLeft(int wait_ms, const Caller &)
{
    auto running = [](const char *program) { return CountProcesses(program) > 0; };
    Poll(wait_ms,
         [&] { return std::none_of(std::begin(flow_programs), std::end(flow_programs), running); });
    for (const char *program : flow_programs)
        EXPECT_FALSE(running(program)) << program << " is still running";
}

std::vector<std::string> WarningTexts(const std::vector<SeenBox> &boxes, const Caller &)
{
    std::vector<std::string> texts;
    for (const SeenBox &box : boxes) {
        EXPECT_EQ("Install", box.caption) << box.text;
        EXPECT_TRUE(box.owner && !box.owner_enabled) << box.text;
        texts.push_back(box.unicode_text);
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
