#include "children/children.h"

#include <iterator>

STARTUPINFOA startinfo;
PROCESS_INFORMATION procinfo;

namespace
{
// PROCESS_ALL_ACCESS as every Windows version accepts it; the wider value of
// newer headers is refused by Windows XP.
const DWORD child_access = 0x1F0FFF;

// The handles of a start are kept until Wait_Finish has opened the child by
// its identifier: the open process handle is what keeps a child that has
// already ended openable. Closed before the next start, so none leaks.
void Close_Child_Handles()
{
    if (procinfo.hThread)
        CloseHandle(procinfo.hThread);
    if (procinfo.hProcess)
        CloseHandle(procinfo.hProcess);
    procinfo.hThread = nullptr;
    procinfo.hProcess = nullptr;
}

void Fill_Startup_Info()
{
    ZeroMemory(&startinfo, sizeof(startinfo));
    startinfo.cb = sizeof(startinfo);
    startinfo.dwFlags = STARTF_FORCEONFEEDBACK;
    // Without STARTF_USESHOWWINDOW the system does not apply it.
    startinfo.wShowWindow = SW_SHOW;
}
} // namespace

int Do_Process(const char *command)
{
    // CreateProcessA may write into the command line it is given.
    char line[MAX_PATH];

    Close_Child_Handles();
    ZeroMemory(&procinfo, sizeof(procinfo));
    if (lstrlenA(command) >= (int)std::size(line))
        return 0;
    lstrcpyA(line, command);
    Fill_Startup_Info();
    return CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                          nullptr, &startinfo, &procinfo);
}

int Wait_Finish()
{
    DWORD exit_code;

    HANDLE process = OpenProcess(child_access, FALSE, procinfo.dwProcessId);
    if (!process)
        return 0;
    Close_Child_Handles();
    // Blocks until the child has ended, without polling: a game that runs
    // for hours costs the launcher no processor time. A batch file's child
    // is its command interpreter, which ends with the batch file.
    int ended = WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(process, &exit_code);
    CloseHandle(process);
    // Any exit code counts as ended, STILL_ACTIVE (259) included: the wait
    // above already says the child is gone.
    return ended;
}
