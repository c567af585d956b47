// What the stand-in program (tests/standin) recorded of its runs, and where
// the tests put it.
#pragma once

#include "support/caller.h"

#include <windows.h>

#include <string>
#include <vector>

struct ChildRun {
    std::string role;
    DWORD pid = 0;
    long long started = -1;     // ms, system time
    long long ended = -1;       // -1 while it runs
    std::string folder;         // its current folder
    std::string unicode_folder; // the same by its Unicode name, in UTF-8
    std::string command_line;
    std::string batch; // a batch file's run: its name, as the interpreter was given it
    DWORD startup_flags = 0;
    std::string record; // the record's folder at its start, or "<none>"
    DWORD exit_code = 0;
    long long broadcast_ms = -1;  // how long its broadcast took; -1: none ended
    unsigned long long guard = 0; // its stack guard's value
    std::string windows;          // "9x" where Windows says it is 95 to ME, else "nt"
};

// The folder of the running test program, with a trailing backslash; the
// launcher and the stand-in are built beside it.
std::string ProgramFolder();

// A fresh log for the stand-in, named in STANDIN_LOG for this process and
// every process it starts.
class ChildLog
{
  public:
    ChildLog();
    // The runs so far, in the order they started.
    std::vector<ChildRun> Runs() const;
    // The run of `role`; fails the test when there is not exactly one.
    ChildRun Only(const std::string &role, const Caller & = {}) const;
    // Waits (in 50 ms steps, up to `timeout_ms`) until `role` has ended.
    bool WaitForEnd(const std::string &role, int timeout_ms) const;

  private:
    std::string path_;
};

// Sets what the stand-in does in `role`, in UTF-8:
// "record=FOLDER;sleep=MS;spawn=ROLE;exit=CODE".
void SetChildActions(const std::string &role, const std::string &actions);
// Copies the stand-in to `path` (for instance E:\setup.exe).
void PlaceStandIn(const std::string &path, const Caller & = {});
// Writes a batch file that runs the stand-in in `role`, which logs the batch
// file's name as the command interpreter was given it ("%0").
void PlaceBatchFile(const std::string &path, const std::string &role, const Caller & = {});
// Milliseconds of system time, as the stand-in records them.
long long NowMs();
// A time in FILETIME form, in the same milliseconds.
long long FileTimeMs(const FILETIME &time);
