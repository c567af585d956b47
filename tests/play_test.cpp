// Start and Continue, end to end: install.exe started from E:\ with a record,
// its buttons clicked, the game's batch files played by the stand-in.
#include "support/game_cd.h"
#include "support/launcher_driver.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace
{
using Texts = std::vector<std::string>;

class PlayTest : public FlowTest
{
  protected:
    // Starts the launcher on a record naming `folder`; returns its window.
    HWND Open(LauncherRun &run, const std::string &folder)
    {
        WriteText(record_key, "folder", folder);
        HWND window = run.VisibleWindow();
        EXPECT_TRUE(window);
        return window;
    }
};

const int id_start = 1, id_cancel = 2, id_continue = 101;

TEST_F(PlayTest, StartPlaysInTheGameFolderThenEnds)
{
    struct {
        const char *folder;
        const char *removed; // a game file taken away first
        Texts warnings;
    } rows[] = {
        {game_folder, nullptr, {}},
        {missing_folder, nullptr, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}},
        {"VEXMOOR", nullptr, {"Cannot Find VEXMOOR"}},
        {"1:\\VEXMOOR", nullptr, {"Cannot Find 1:\\VEXMOOR"}},
        {"", nullptr, {"Cannot Find (untitled)"}},
        {game_folder, "vexmoor.bat", {"Game Run Error 1"}},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(std::string("folder \"") + row.folder + "\"");
        SetUp();
        if (row.removed)
            RemoveGameFile(row.removed);
        SetChildActions("GAME", "sleep=1000");
        LauncherRun run;
        HWND window = Open(run, row.folder);
        ASSERT_TRUE(window);

        EXPECT_EQ(row.warnings, WarningTexts(run.Press(window, id_start, row.warnings.size())));
        EXPECT_EQ(0u, run.ExitCode());
        bool plays = row.warnings.empty();
        ASSERT_EQ(plays ? Texts{"GAME"} : Texts{}, Roles(log.Runs()));
        if (plays) {
            ChildRun game = log.Only("GAME");
            EXPECT_EQ(game_folder, game.folder);
            // A batch file's game is waited for, and does not give "Game
            // Run Error 1" when it ends.
            ASSERT_GE(game.ended, 0);
            EXPECT_GE(run.ExitedMs(), game.ended);
        }
    }
}

TEST_F(PlayTest, ContinueStartsTheReplayAndEndsAtOnce)
{
    struct {
        const char *folder;
        const char *removed;
        Texts warnings;
        bool ends;
    } rows[] = {
        {game_folder, nullptr, {}, true},
        {missing_folder, nullptr, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}, false},
        {"", nullptr, {"Cannot Find (untitled)"}, false},
        // Nothing to say, nothing started: the user may choose again.
        {game_folder, "REPLAY.BAT", {}, false},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(std::string("folder \"") + row.folder + "\"");
        SetUp();
        if (row.removed)
            RemoveGameFile(row.removed);
        SetChildActions("REPLAY", "sleep=2000");
        LauncherRun run;
        HWND window = Open(run, row.folder);
        ASSERT_TRUE(window);

        EXPECT_EQ(row.warnings, WarningTexts(run.Press(window, id_continue, row.warnings.size())));
        if (row.ends) {
            EXPECT_EQ(0u, run.ExitCode());
            ASSERT_TRUE(log.WaitForEnd("REPLAY", 10000));
            ChildRun replay = log.Only("REPLAY");
            EXPECT_EQ(game_folder, replay.folder);
            EXPECT_LT(run.ExitedMs(), replay.ended) << "the launcher waited for the replay";
        } else {
            // The window stays, and still takes a command.
            EXPECT_EQ(Texts{}, Roles(log.Runs()));
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_EQ(Texts{}, WarningTexts(run.Press(window, id_cancel, 0)));
            EXPECT_EQ(0u, run.ExitCode());
        }
    }
}
} // namespace
