// Starting an outside program in the launcher's current folder and waiting
// for it to end.
#pragma once

#include <windows.h>

// The latest child: each start overwrites it.
extern STARTUPINFOA startinfo;
extern PROCESS_INFORMATION procinfo;

// Starts `command` (a program or batch file name, with its arguments) in the
// current folder. Returns nonzero when the child was created.
int Do_Process(const char *command);
// Waits until the latest child has ended. Returns 1 once it has, whatever its
// exit code; 0 when the wait cannot be carried out.
int Wait_Finish();
