// Starting an outside program in the launcher's current folder, and the
// launcher's waits: for a child to end, and the pauses of the record poll.
#pragma once

#include <windows.h>

// The latest child: each start overwrites it.
extern STARTUPINFOA startinfo;
extern PROCESS_INFORMATION procinfo;

// Starts `command` (a program or batch file name, with its arguments) in the
// current folder; a batch file through the command interpreter, which ends
// when the batch file has run. With `suspended`, its first thread waits for
// Resume_Child (but for a program that Windows must first elevate, which
// starts at once, through the shell: User Account Control's prompt then
// comes up over `owner` where it is shown). Returns nonzero when the child
// was created.
int Do_Process(const char *command, HWND owner = nullptr, int suspended = 0);
// Lets a child started suspended run.
void Resume_Child();
// Waits until the latest child has ended. Returns 1 once it has, whatever its
// exit code; 0 when the wait cannot be carried out.
int Wait_Finish();

// The launcher's one way to wait. Blocks until `object` (a process handle;
// null for none) is signalled or `timeout_ms` (INFINITE: no limit) has
// passed, and meanwhile answers the messages that other threads send to the
// launcher's windows: a program that sends to every window (a broadcast of
// WM_FONTCHANGE or WM_SETTINGCHANGE, a DDE conversation, the system's
// shutdown) must not hang on the launcher while the launcher waits for it.
// Posted messages stay queued; mouse and keyboard input wakes the wait and
// is thrown away, so that no click made during a flow starts a command
// after it, and the thread always waits for input, as Windows requires of a
// program that responds. Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
DWORD Wait_Answering(HANDLE object, DWORD timeout_ms);
// Pauses for `ms` milliseconds as Wait_Answering does.
void Pause(DWORD ms);
