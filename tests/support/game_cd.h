// The CD and the game folder as the flows' tests lay them out, all with the
// stand-in program: E:\setup.exe (role SETUP) beside the launcher, and the
// game folder G:\VEXMOOR with Setsound.exe (SETSOUND), vexmoor.bat (GAME)
// and REPLAY.BAT (REPLAY).
#pragma once

#include "base/ids.h"
#include "support/child_log.h"
#include "support/message_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Texts = std::vector<std::string>;

// The launcher's buttons: Starten, Cancel, Fortsetzen, Installieren.
const int id_start = ID_START, id_cancel = ID_CANCEL, id_continue = ID_CONTINUE,
          id_install = ID_INSTALL;
// install.exe built with record polls that pause 10 ms instead of 1 s: the
// first run gives up after 290 of them.
const char fast_launcher[] = "install_fast.exe";

// Where Wine is told which Windows to report to a program named
// install.exe: "Version" "win98" makes it Windows 98 (the high bit of
// GetVersion set; the Unicode calls still work). Deleted after each test.
const char windows_98_key[] = "Software\\Wine\\AppDefaults\\install.exe";

extern const char game_folder[];    // "G:\VEXMOOR"
extern const char missing_folder[]; // "G:\MISSING", never created
// Game folders named outside the ANSI code page, in UTF-8.
extern const char polish_folder[];  // "G:\Łódź"
extern const char chinese_folder[]; // "G:\游戏"

// Each test (or each row, calling SetUp again) starts with no record, an empty CD but for the
// launcher, full game folders (game_folder and the two above), a fresh child log and no child
// actions, and with the keys of another product of the company and of another company in
// place; it ends with neither company's keys.

class FlowTest : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;
    // The stand-in as E:\setup.exe, doing `actions`.
    void PlaceInstaller(const std::string &actions, const Caller & = {});
    // Removes one of the game folder's files.
    void RemoveGameFile(const char *name, const Caller & = {});
    // Once the launcher has ended: gives a child that it did not wait for
    // (Continue's replay) `wait_ms` to end, then checks that no program of
    // the flows runs, the launcher included. A child started by mistake has
    // either logged by then or still runs.
    void ExpectNothingLeft(int wait_ms = 0, const Caller & = {});
    ChildLog log;
};

// The texts of `boxes`, read as Unicode (UTF-8), after checking that each is
// a launcher warning: the "Install" caption and an owner it disabled. (Its
// icon cannot be compared from another process under Wine.)
std::vector<std::string> WarningTexts(const std::vector<SeenBox> &boxes, const Caller & = {});
// The roles of `runs`, in the order they started.
std::vector<std::string> Roles(const std::vector<ChildRun> &runs);
