// The start folder and the game folder, on the prefix's real drives:
// E: is the CD-like drive, G: the game drive, Q: does not exist.
#include "folders/folders.h"
#include "support/message_watch.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <direct.h>

namespace
{
const char game_folder[] = "G:\\GAMES\\XY";

class FoldersTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(0u, GetLogicalDrives() & (1u << ('Q' - 'A'))) << "Q: must not exist";
        MakeFolders("E:\\SETUP");
        MakeFolders(game_folder);
        MakeFolders("G:\\Spiele mit Leerzeichen");
        ASSERT_TRUE(SetCurrentDirectoryA("E:\\SETUP"));
        owner = CreateOwnerWindow();
        ASSERT_TRUE(owner);
    }
    void TearDown() override
    {
        DestroyWindow(owner);
    }

    // Runs New_Directory with a message watch; the boxes it showed go to
    // `boxes`. The folder change fails critical errors without a box only
    // while it runs: the launcher's own error mode, which its children
    // inherit, must be as before.
    int Enter(const std::string &folder)
    {
        SetErrorMode(SEM_NOOPENFILEERRORBOX);
        MessageWatch watch;
        int result = New_Directory(owner, folder.c_str());
        boxes = watch.Stop();
        UINT mode = SetErrorMode(0);
        EXPECT_EQ((UINT)SEM_NOOPENFILEERRORBOX, mode) << "the error mode was not restored";
        return result;
    }

    HWND owner = nullptr;
    std::vector<SeenBox> boxes;
};

// The start folder is the launcher's own, whatever folder is current.
TEST_F(FoldersTest, StartFolderIsRecordedAndReturnedTo)
{
    struct {
        const char *program;
        const char *start;
        int disk;
        const char *away; // another folder on the same drive
    } cases[] = {
        {"E:\\install.exe", "E:\\", 4, "E:\\SETUP"},
        {"E:\\SETUP\\install.exe", "E:\\SETUP", 4, "E:\\"},
        {"G:\\Spiele mit Leerzeichen\\install.exe", "G:\\Spiele mit Leerzeichen", 6, "G:\\GAMES"},
        // A disc shared on the network: no drive letter.
        {"\\\\vexmoor\\cd\\install.exe", "\\\\vexmoor\\cd", -1, "E:\\SETUP"},
        // Started by a path with the prefix "\\?\", and as Wine names a
        // program on a share.
        {"\\\\?\\E:\\SETUP\\install.exe", "E:\\SETUP", 4, "E:\\"},
        {"\\\\?\\UNC\\vexmoor\\cd\\install.exe", "\\\\vexmoor\\cd", -1, "E:\\SETUP"},
        {"UNC\\vexmoor\\cd\\install.exe", "\\\\vexmoor\\cd", -1, "E:\\SETUP"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.program);
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
        Start_Directory_Of(Wide(c.program).c_str());
        EXPECT_EQ(c.disk, startdisk);
        EXPECT_STREQ(c.start, startpath);

        // Move away on the start drive and to another drive, then come back.
        ASSERT_TRUE(SetCurrentDirectoryA(c.away));
        ASSERT_TRUE(SetCurrentDirectoryA("C:\\windows"));
        Start_Directory();
        EXPECT_STREQ(c.start, CurrentFolder().c_str());
        EXPECT_EQ(c.disk + 1, _getdrive());
    }
}

TEST_F(FoldersTest, GameFolderIsEnteredWhateverStandsBeforeTheDriveLetter)
{
    const std::string spaces_255(254, ' '); // puts the colon at index 255
    struct {
        std::string folder;
        const char *entered;
    } cases[] = {
        {game_folder, game_folder},
        {"g:\\games\\xy", game_folder},
        {"  G:\\GAMES\\XY", game_folder},
        {"1G:\\GAMES\\XY", game_folder},
        {"G:\\GAMES\\XY\\", game_folder},
        {"G:\\Spiele mit Leerzeichen", "G:\\Spiele mit Leerzeichen"},
        {"E:\\", "E:\\"},
        {spaces_255 + game_folder, game_folder},
        {spaces_255 + "  " + game_folder, game_folder},
    };
    for (auto &c : cases) {
        SCOPED_TRACE("[" + c.folder + "]");
        ASSERT_TRUE(SetCurrentDirectoryA("E:\\SETUP"));
        EXPECT_EQ(FOLDER_ENTERED, Enter(c.folder));
        EXPECT_EQ(0, lstrcmpiA(c.entered, CurrentFolder().c_str())) << CurrentFolder();
        EXPECT_EQ(c.entered[0] - 'A' + 1, _getdrive());
        EXPECT_TRUE(boxes.empty());
    }
}

TEST_F(FoldersTest, TextWithoutDriveLetterIsRefusedSilently)
{
    struct {
        const char *folder;
        int result;
    } cases[] = {
        {"GAMES", FOLDER_NO_COLON},
        {"", FOLDER_NO_COLON},
        {"\\\\server\\share", FOLDER_NO_COLON},
        {":\\GAMES", FOLDER_NO_DRIVE},
        {"1:\\GAMES", FOLDER_NO_DRIVE},
        {"\xC4:\\GAMES", FOLDER_NO_DRIVE},
        {"G :\\GAMES", FOLDER_NO_DRIVE},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(c.result, Enter(c.folder));
        EXPECT_TRUE(boxes.empty());
        EXPECT_STREQ("E:\\SETUP", CurrentFolder().c_str());
    }
}

TEST_F(FoldersTest, FolderThatCannotBeEnteredIsNamedInAWarning)
{
    MakeFolders("G:\\FILES");
    CloseHandle(
        CreateFileA("G:\\FILES\\game.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    struct {
        const char *folder;
        const char *warning;
    } cases[] = {
        {"G:\\NOPE", "Folder Error G:\\NOPE"},
        {"  Q:\\GAMES", "Folder Error Q:\\GAMES"},
        {"x G:\\FILES\\game.txt", "Folder Error G:\\FILES\\game.txt"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(FOLDER_CHANGE_FAILED, Enter(c.folder));
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ("Install", boxes[0].caption);
        EXPECT_EQ(c.warning, boxes[0].text);
        EXPECT_EQ(owner, boxes[0].owner);
    }
}

TEST(FolderTextTest, SeparatorAndDriveLetterAreFoundAtTheirLimits)
{
    EXPECT_EQ(1, Find_sep("C:\\A:B"));
    EXPECT_EQ(NO_SEPARATOR, Find_sep("C\\GAMES"));
    EXPECT_EQ(NO_SEPARATOR, Find_sep(""));
    for (int at : {0, 254, 255, 256, 300}) {
        std::string text(at, 'x');
        EXPECT_EQ(at, Find_sep((text + ":\\").c_str()));
    }

    const struct {
        char letter;
        int drive;
    } letters[] = {{'a', 1}, {'z', 26}, {'A', 1}, {'Z', 26}, {'@', 0},    {'[', 0},
                   {'`', 0}, {'{', 0},  {'1', 0}, {' ', 0},  {'\xC4', 0}, {'\xFF', 0}};
    for (auto &l : letters)
        EXPECT_EQ(l.drive, Get_Drive(l.letter)) << (int)(unsigned char)l.letter;
}
} // namespace
