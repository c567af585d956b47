// Start and Continue, end to end: install.exe started from E:\ with a record,
// its buttons clicked, the game's batch files played by the stand-in.
#include "support/game_cd.h"
#include "support/launcher_driver.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace
{
struct Row {
    const char *folder;  // the record's
    const char *removed; // a game file taken away first
    Texts warnings;
};

class PlayTest : public FlowTest
{
  protected:
    // A fresh CD and game folder, without `row.removed`, and a record that
    // names `row.folder`. The game runs for 1 s, the replay for 2 s: long
    // enough to tell whether the launcher waits for them.
    void Prepare(const Row &row)
    {
        SetUp();
        if (row.removed)
            RemoveGameFile(row.removed);
        WriteText(record_key, "folder", row.folder);
        SetChildActions("GAME", "sleep=1000");
        SetChildActions("REPLAY", "sleep=2000");
    }
};

TEST_F(PlayTest, StartPlaysInTheGameFolderThenEnds)
{
    const Row rows[] = {
        {game_folder, nullptr, {}},
        {missing_folder, nullptr, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}},
        {"VEXMOOR", nullptr, {"Cannot Find VEXMOOR"}},
        {"1:\\VEXMOOR", nullptr, {"Cannot Find 1:\\VEXMOOR"}},
        {"", nullptr, {"Cannot Find (untitled)"}},
        {game_folder, "vexmoor.bat", {"Game Run Error 1"}},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(std::string("folder \"") + row.folder + "\"");
        Prepare(row);
        LauncherRun run;
        HWND window = run.VisibleWindow();
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
    const Row rows[] = {
        {game_folder, nullptr, {}},
        {missing_folder, nullptr, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}},
        {"", nullptr, {"Cannot Find (untitled)"}},
        // Nothing to say, nothing started: the user may choose again.
        {game_folder, "REPLAY.BAT", {}},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(std::string("folder \"") + row.folder + "\"");
        Prepare(row);
        LauncherRun run;
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);

        EXPECT_EQ(row.warnings, WarningTexts(run.Press(window, id_continue, row.warnings.size())));
        if (row.warnings.empty() && !row.removed) {
            EXPECT_EQ(0u, run.ExitCode());
            ASSERT_TRUE(log.WaitForEnd("REPLAY", 10000));
            ChildRun replay = log.Only("REPLAY");
            EXPECT_EQ(game_folder, replay.folder);
            EXPECT_LT(run.ExitedMs(), replay.ended) << "the launcher waited for the replay";
        } else {
            // The window stays, and still takes a command. Nothing is
            // started: a child started without a wait may log only later.
            EXPECT_FALSE(Poll(1000, [&] { return !log.Runs().empty(); }))
                << Roles(log.Runs()).front() << " was started";
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_EQ(Texts{}, WarningTexts(run.Press(window, id_cancel, 0)));
            EXPECT_EQ(0u, run.ExitCode());
        }
    }
}
} // namespace
