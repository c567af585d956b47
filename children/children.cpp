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

// The message ranges of input: keys, the mouse in the client area, and the
// mouse on the caption and the frame (the close box among them).
const UINT input_ranges[][2] = {
    {WM_KEYFIRST, WM_KEYLAST},
    {WM_MOUSEFIRST, WM_MOUSELAST},
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
};

// What wakes a wait: a message sent to the thread, and input: QS_INPUT as
// Windows 95 and NT 4.0 know it (keys, mouse moves, mouse buttons). Newer
// headers add QS_RAWINPUT (XP), QS_TOUCH and QS_POINTER (8) to QS_INPUT, and
// MsgWaitForMultipleObjects fails on a Windows that lacks a flag it is given.
const DWORD wake_mask = QS_SENDMESSAGE | QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON;

void Discard_Input()
{
    MSG msg;

    for (const auto &range : input_ranges)
        while (PeekMessageA(&msg, nullptr, range[0], range[1], PM_REMOVE))
            ;
}

// The time left of a wait that began at `began`.
DWORD Time_Left(DWORD began, DWORD timeout_ms)
{
    if (timeout_ms == INFINITE)
        return INFINITE;
    DWORD waited = GetTickCount() - began;
    return waited >= timeout_ms ? 0 : timeout_ms - waited;
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
    int ended = Wait_Answering(process, INFINITE) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(process, &exit_code);
    CloseHandle(process);
    // Any exit code counts as ended, STILL_ACTIVE (259) included: the wait
    // above already says the child is gone.
    return ended;
}

DWORD Wait_Answering(HANDLE object, DWORD timeout_ms)
{
    DWORD count = object ? 1 : 0;
    DWORD began = GetTickCount();
    DWORD result;
    MSG msg;

    // Wakes for the object, the time, a message sent to this thread, or
    // input; posted messages do not end the sleep. Waking for input keeps
    // Windows from taking the launcher for hung: from XP on, a window whose
    // thread neither waits for input nor has looked at its queue for 5 s
    // is "not responding", and the system puts a ghost window in its place.
    while ((result = MsgWaitForMultipleObjects(count, &object, FALSE, Time_Left(began, timeout_ms),
                                               wake_mask)) == WAIT_OBJECT_0 + count) {
        // Delivers the sent messages to their window procedures (the
        // filter PM_QS_SENDMESSAGE is not in Windows 95 and NT 4.0) and
        // leaves the posted ones queued; the input goes at once.
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        Discard_Input();
    }
    Discard_Input();
    return result;
}

void Pause(DWORD ms)
{
    DWORD began = GetTickCount();

    // Should the wait itself fail, the pause still lasts as long.
    if (Wait_Answering(nullptr, ms) == WAIT_FAILED)
        Sleep(Time_Left(began, ms));
}
