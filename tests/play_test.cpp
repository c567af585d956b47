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
        {polish_folder, nullptr, {}},
        {chinese_folder, nullptr, {}},
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
            EXPECT_EQ(row.folder, game.unicode_folder);
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
        {polish_folder, nullptr, {}},
        {chinese_folder, nullptr, {}},
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
            EXPECT_EQ(row.folder, replay.unicode_folder);
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

// What reaches the window while a flow waits: a command that another program
// sends, which is answered at once, or a click queued for the launcher's
// thread (mouse messages posted to the button stand in for it under Wine).
// Neither starts anything, then or after the flow. A close request sent
// meanwhile lets the flow end, its warning included, and then ends the
// launcher. A CD installer is there, so that a wrong reinstall would show.
TEST_F(PlayTest, WhatComesDuringAFlowStartsNothing)
{
    struct {
        const char *how;
        int flow;   // the button that starts the flow
        int button; // the button that the command or the clicks are for
        UINT sent;  // sent to the window, or 0: a double click posted
        Texts warnings;
        Texts roles;
        bool again = false; // install.exe started again instead
    } rows[] = {
        {"Installieren sent during the game", id_start, id_install, WM_COMMAND, {}, {"GAME"}},
        {"Starten sent during the game", id_start, id_start, WM_COMMAND, {}, {"GAME"}},
        {"Starten double-clicked during the game", id_start, id_start, 0, {}, {"GAME"}},
        {"Installieren clicked during the game", id_start, id_install, 0, {}, {"GAME"}},
        {"a close request during the installer",
         id_install,
         0,
         WM_CLOSE,
         {"Installation complete  "},
         {"SETUP", "SETSOUND"}},
        // Started minimised: a window brought forward would be restored.
        {"a second launcher during the game", id_start, 0, 0, {}, {"GAME"}, true},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        Prepare({game_folder, nullptr, {}});
        // Long enough that all of it reaches the launcher while it waits.
        SetChildActions("GAME", row.again ? "sleep=5000" : "sleep=2000");
        PlaceInstaller(row.flow == id_install ? "sleep=2000;record=G:\\VEXMOOR" : "");
        LauncherRun run("install_fast.exe", "E:\\", row.again ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);
        MessageWatch watch(run.Pid());
        PostMessageA(GetDlgItem(window, row.flow), BM_CLICK, 0, 0);
        ASSERT_TRUE(Poll(5000, [&] { return !log.Runs().empty(); }));

        HWND button = GetDlgItem(window, row.button);
        DWORD_PTR answer;
        if (row.again) {
            ExpectSecondStartEndsAtOnce();
            EXPECT_TRUE(IsIconic(window)) << "brought forward during the game";
        } else if (row.sent) {
            EXPECT_TRUE(
                SendMessageTimeoutA(window, row.sent, row.button, 0, SMTO_NORMAL, 500, &answer))
                << "not answered during the flow";
        } else {
            for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
                PostMessageA(button, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                             MAKELPARAM(5, 5));
        }
        EXPECT_EQ(0u, run.ExitCode());
        EXPECT_EQ(row.warnings, WarningTexts(watch.Stop()));
        EXPECT_EQ(row.roles, Roles(log.Runs()));
        EXPECT_EQ(game_folder, ReadText(record_key, "folder"));
    }
}
} // namespace
