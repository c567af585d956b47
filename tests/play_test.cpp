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
    const char *folder; // the record's
    Texts warnings;
    bool again = false; // started again while the first warning shows
};

class PlayTest : public FlowTest
{
  protected:
    // A fresh CD and game folder, and a record that names `row.folder`. The
    // game runs for 1 s, the replay for 2 s: long enough to tell whether the
    // launcher waits for them.
    void Prepare(const Row &row)
    {
        SetUp();
        WriteText(record_key, "folder", row.folder);
        SetChildActions("GAME", "sleep=1000");
        SetChildActions("REPLAY", "sleep=2000");
    }
};

TEST_F(PlayTest, StartPlaysInTheGameFolderThenEnds)
{
    const Row rows[] = {
        {game_folder, {}},
        {polish_folder, {}},
        {chinese_folder, {}},
        {missing_folder, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}},
        // Named as the registry holds it, whatever the code page lacks.
        {u8"G:\\\u0141\u00F3d\u017A\\BRAK",
         {u8"Folder Error G:\\\u0141\u00F3d\u017A\\BRAK",
          u8"Cannot Find G:\\\u0141\u00F3d\u017A\\BRAK"}},
        {"1:\\VEXMOOR", {"Cannot Find 1:\\VEXMOOR"}},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(std::string("folder \"") + row.folder + "\"");
        Prepare(row);
        std::string before = DumpKeys("Software");
        LauncherRun run;
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);

        EXPECT_EQ(row.warnings, WarningTexts(run.Press(window, id_start, row.warnings.size())));
        EXPECT_EQ(0u, run.ExitCode());
        ExpectNothingLeft();
        EXPECT_EQ(before, DumpKeys("Software"));
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
        {game_folder, {}},
        {polish_folder, {}},
        {chinese_folder, {}},
        {missing_folder, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}},
        {missing_folder, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}, true},
        {"", {"Cannot Find (untitled)"}},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(std::string("folder \"") + row.folder + "\"" + (row.again ? ", again" : ""));
        Prepare(row);
        std::string before = DumpKeys("Software");
        LauncherRun run;
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);

        EXPECT_EQ(row.warnings,
                  WarningTexts(run.Press(window, id_continue, row.warnings.size(), row.again)));
        EXPECT_EQ(before, DumpKeys("Software"));
        if (row.warnings.empty()) {
            ASSERT_EQ(0u, run.ExitCode());
            ExpectNothingLeft(10000);
            ASSERT_EQ(Texts{"REPLAY"}, Roles(log.Runs()));
            ChildRun replay = log.Only("REPLAY");
            ASSERT_GE(replay.ended, 0);
            EXPECT_EQ(row.folder, replay.unicode_folder);
            EXPECT_LT(run.ExitedMs(), replay.ended) << "the launcher waited for the replay";
        } else {
            // The window stays, and still takes a command. Nothing was
            // started, not even a child that logs only later.
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_EQ(Texts{}, WarningTexts(run.Press(window, id_cancel, 0)));
            EXPECT_EQ(0u, run.ExitCode());
            ExpectNothingLeft();
            EXPECT_EQ(Texts{}, Roles(log.Runs()));
        }
    }
}

// What reaches the window while a flow waits: a command that another program
// sends, which is answered at once, or posts, as tools do for a window that
// does not answer, or input queued for the launcher's thread (mouse and key
// messages posted to the button stand in for it under Wine), or a second
// launcher. None starts anything, then or after the flow. A close request
// sent meanwhile lets the flow end, its warning included, and then ends the
// launcher. A CD installer is there, so that a wrong reinstall would show.
TEST_F(PlayTest, WhatComesDuringAFlowStartsNothing)
{
    enum How { sent, posted, clicked, space, again };
    struct {
        const char *how;
        int flow;     // the button that starts the flow
        How comes;    // what comes during it
        int button;   // the button that the command or the input is for
        UINT message; // the message sent
        Texts warnings;
        Texts roles;
    } rows[] = {
        // clang-format off
        {"Installieren sent during the game", id_start, sent, id_install, WM_COMMAND, {}, {"GAME"}},
        {"Starten sent during the game", id_start, sent, id_start, WM_COMMAND, {}, {"GAME"}},
        {"Installieren posted during the game", id_start, posted, id_install, WM_COMMAND, {}, {"GAME"}},
        {"a BM_CLICK posted to Starten during the game", id_start, posted, id_start, BM_CLICK, {}, {"GAME"}},
        // The reinstall keeps its window: a close request sent after the
        // click ends the launcher, once the click would have been handled.
        {"a BM_CLICK posted to Starten during the installer", id_install, posted, id_start, BM_CLICK, {"Installation complete  "}, {"SETUP", "SETSOUND"}},
        {"Starten double-clicked during the game", id_start, clicked, id_start, 0, {}, {"GAME"}},
        {"Installieren clicked during the game", id_start, clicked, id_install, 0, {}, {"GAME"}},
        // A space bar pressed on a button clicks it.
        {"the space bar on Starten during the game", id_start, space, id_start, 0, {}, {"GAME"}},
        {"a close request during the installer", id_install, sent, 0, WM_CLOSE, {"Installation complete  "}, {"SETUP", "SETSOUND"}},
        // Started minimised: a window brought forward would be restored.
        {"a second launcher during the game", id_start, again, 0, 0, {}, {"GAME"}},
        // clang-format on
    };
    // The installer records the folder with a trailing backslash, as Windows
    // Installer does: the record afterwards shows whose it is.
    const char installed_folder[] = "G:\\VEXMOOR\\";
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        Prepare({game_folder, {}});
        // Long enough that all of it reaches the launcher while it waits.
        SetChildActions("GAME", row.comes == again ? "sleep=5000" : "sleep=2000");
        PlaceInstaller(row.flow == id_install ? std::string("sleep=2000;record=") + installed_folder
                                              : "");
        LauncherRun run(fast_launcher, "E:\\",
                        row.comes == again ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL);
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);
        MessageWatch watch(run.Pid());
        PostMessageA(GetDlgItem(window, row.flow), BM_CLICK, 0, 0);
        ASSERT_TRUE(Poll(5000, [&] { return !log.Runs().empty(); }));

        HWND button = GetDlgItem(window, row.button);
        DWORD_PTR answer;
        if (row.comes == again) {
            ExpectSecondStartEndsAtOnce();
            EXPECT_TRUE(IsIconic(window)) << "brought forward during the game";
        } else if (row.comes == sent) {
            EXPECT_TRUE(
                SendMessageTimeoutA(window, row.message, row.button, 0, SMTO_NORMAL, 500, &answer))
                << "not answered during the flow";
        } else if (row.comes == posted) {
            PostMessageA(row.message == BM_CLICK ? button : window, row.message,
                         row.message == BM_CLICK ? 0 : row.button, 0);
            if (row.flow == id_install) {
                EXPECT_TRUE(SendMessageTimeoutA(window, WM_CLOSE, 0, 0, SMTO_NORMAL, 500, &answer));
            }
        } else if (row.comes == clicked) {
            for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
                PostMessageA(button, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                             MAKELPARAM(5, 5));
        } else {
            run.PressKey(window, VK_SPACE, button);
        }
        EXPECT_EQ(0u, run.ExitCode());
        EXPECT_EQ(row.warnings, WarningTexts(watch.Stop()));
        ExpectNothingLeft();
        EXPECT_EQ(row.roles, Roles(log.Runs()));
        EXPECT_EQ(row.flow == id_install ? installed_folder : game_folder,
                  ReadText(record_key, "folder"));
    }
}
} // namespace
