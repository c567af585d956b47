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
    int button;         // Start or Continue
    const char *folder; // the record's
    Texts warnings;
    bool again = false; // clicked again while the first warning shows
    // NoDefaultCurrentDirectoryInExePath set: no bare name is looked for in
    // the current folder. The game's batch file is given to the command
    // interpreter by its folder all the same.
    bool locked = false;
};

class PlayTest : public FlowTest
{
  protected:
    // A fresh CD and game folder, and a record that names `folder`. The game
    // runs for 1 s, the replay for 2 s: long enough to tell whether the
    // launcher waits for them.
    void Prepare(const char *folder)
    {
        SetUp();
        WriteText(record_key, "folder", folder);
        SetChildActions("GAME", "sleep=1000");
        SetChildActions("REPLAY", "sleep=2000");
    }
};

// Start plays the game in the record's folder, waits for it and ends; a
// warning ends the launcher too. Continue starts the replay there and ends
// at once; after a warning the window stays, and still takes a command.
// Neither changes the registry.
TEST_F(PlayTest, StartAndContinuePlayInTheRecordsFolder)
{
    const Row rows[] = {
        // clang-format off
        {id_start, game_folder, {}},
        {id_start, polish_folder, {}},
        {id_start, chinese_folder, {}},
        {id_start, missing_folder, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}},
        // Named as the registry holds it, whatever the code page lacks.
        {id_start, u8"G:\\\u0141\u00F3d\u017A\\BRAK", {u8"Folder Error G:\\\u0141\u00F3d\u017A\\BRAK", u8"Cannot Find G:\\\u0141\u00F3d\u017A\\BRAK"}},
        {id_start, "1:\\VEXMOOR", {"Cannot Find 1:\\VEXMOOR"}},
        {id_continue, game_folder, {}},
        {id_continue, polish_folder, {}},
        {id_continue, chinese_folder, {}},
        {id_continue, missing_folder, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}},
        {id_continue, missing_folder, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}, true},
        {id_continue, "", {"Cannot Find (untitled)"}},
        {id_start, game_folder, {}, false, true},
        {id_continue, game_folder, {}, false, true},
        // clang-format on
    };
    for (auto &row : rows) {
        bool start = row.button == id_start;
        const char *role = start ? "GAME" : "REPLAY";
        SCOPED_TRACE(std::string(start ? "Start" : "Continue") + ", folder \"" + row.folder + "\"" +
                     (row.again ? ", again" : "") + (row.locked ? ", locked down" : ""));
        Prepare(row.folder);
        std::string before = DumpKeys("Software");
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", row.locked ? "1" : nullptr);
        LauncherRun run;
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", nullptr);
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);

        EXPECT_EQ(row.warnings,
                  WarningTexts(run.Press(window, row.button, row.warnings.size(), row.again)));
        EXPECT_EQ(before, DumpKeys("Software"));
        bool plays = row.warnings.empty();
        if (!start && !plays) {
            EXPECT_TRUE(IsWindowVisible(window));
            EXPECT_EQ(Texts{}, WarningTexts(run.Press(window, id_cancel, 0)));
        }
        EXPECT_EQ(0u, run.ExitCode());
        // The replay outlives the launcher. Nothing else was started, not
        // even a child that logs only later.
        ExpectNothingLeft(plays && !start ? 10000 : 0);
        ASSERT_EQ(plays ? Texts{role} : Texts{}, Roles(log.Runs()));
        if (plays) {
            ChildRun child = log.Only(role);
            EXPECT_EQ(row.folder, child.unicode_folder);
            // The batch file's name, as the command interpreter was given it.
            EXPECT_EQ(start ? ".\\vexmoor.bat" : ".\\REPLAY.BAT", child.batch);
            ASSERT_GE(child.ended, 0);
            // A batch file's game is waited for, and does not give "Game
            // Run Error 1" when it ends; the replay is not waited for.
            if (start)
                EXPECT_GE(run.ExitedMs(), child.ended);
            else
                EXPECT_LT(run.ExitedMs(), child.ended) << "the launcher waited for the replay";
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
        Prepare(game_folder);
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
