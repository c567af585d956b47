#include "children/children.h"
#include "base/guard.h"
#include "base/system.h"
#include "base/text.h"

#include <iterator>

STARTUPINFOA startinfo;
PROCESS_INFORMATION procinfo;

namespace
{
// PROCESS_ALL_ACCESS as every Windows version accepts it; the wider value of
// newer headers is refused by Windows XP.
const DWORD child_access = 0x1F0FFF;

// What CreateProcess answers, from Vista on, for a program whose manifest
// asks for administrator rights (most installers) when installer detection
// is off and the launcher itself runs unelevated.
const DWORD elevation_required = 740;

// ShellExecuteExA and COM's start and end on this thread, found at run
// time: shell32.dll and ole32.dll are loaded only on the road that needs
// them, so that every other start costs nothing more.
typedef BOOL(WINAPI *Shell_Execute_Ex)(SHELLEXECUTEINFOA *);
typedef HRESULT(WINAPI *Co_Initialize_Ex)(LPVOID, DWORD);
typedef void(WINAPI *Co_Uninitialize)(void);

// The command line of a start, with room for the command interpreter's
// name before a batch file's.
const int line_size = 2 * MAX_PATH;

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

NO_BUFFER void Discard_Input()
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

// Starts `line` (`application`, where it names the program by its folder)
// through the shell, which asks the user for the elevation
// that the program needs (User Account Control's prompt), over `owner`
// where it is shown, else over the window in front, and waits for it like
// any other child: by its process handle, for an unelevated launcher may
// not open an elevated process by its identifier. 0 when it did not start,
// the prompt refused included (ERROR_CANCELLED).
int Shell_Start(char *line, const char *application, HWND owner)
{
    auto execute = System_Function<Shell_Execute_Ex>("shell32.dll", "ShellExecuteExA");
    auto initialize = System_Function<Co_Initialize_Ex>("ole32.dll", "CoInitializeEx");
    auto uninitialize = System_Function<Co_Uninitialize>("ole32.dll", "CoUninitialize");
    if (!execute)
        return 0;
    // The program's name ends at the first space: an edition's names have
    // none, and its arguments follow.
    char *arguments = line;
    while (*arguments != '\0' && *arguments != ' ')
        arguments++;
    if (*arguments == ' ')
        *arguments++ = '\0';
    SHELLEXECUTEINFOA shell_info;
    ZeroMemory(&shell_info, sizeof(shell_info));
    shell_info.cbSize = sizeof(shell_info);
    // SEE_MASK_NOASYNC: the launcher's thread has no message loop while a
    // flow runs, and ShellExecuteEx's documentation asks for it then.
    shell_info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    // The prompt comes up over its owner: the launcher's window, or on the
    // first run, where it is hidden, the window the player sees.
    shell_info.hwnd = owner && IsWindowVisible(owner) ? owner : GetForegroundWindow();
    // The program by its folder where Command_Line chose it so.
    shell_info.lpFile = application ? application : line;
    shell_info.lpParameters = arguments;
    shell_info.nShow = SW_SHOW;
    // The shell may hand the start to extensions that COM activates: the
    // thread is to be in a single-threaded apartment, as ShellExecuteEx's
    // documentation asks.
    HRESULT com = initialize
                      ? initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
                      : E_FAIL;
    int started = execute(&shell_info) && shell_info.hProcess;
    if (SUCCEEDED(com) && uninitialize)
        uninitialize();
    if (!started)
        return 0;
    procinfo.hProcess = shell_info.hProcess;
    return 1;
}

// The program's name that `command` starts with (its first word, or its
// first quoted part), into `name`; its length, or 0 when it names none or
// a name that does not fit.
int Program_Name(const char *command, char (&name)[MAX_PATH])
{
    char close = *command == '"' ? '"' : ' ';
    const char *start = command + (close == '"');
    int length = 0;
    while (start[length] != '\0' && start[length] != close)
        length++;
    if (length == 0 || length >= (int)std::size(name))
        return 0;
    lstrcpynA(name, start, length + 1);
    return length;
}

// 1 when the current folder holds the file `name`, a name without a folder.
// Read by the file system, which no search order changes.
int Held_Here(const char *name)
{
    for (const char *c = name; *c != '\0'; c++)
        if (*c == '\\' || *c == '/' || *c == ':')
            return 0;
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The command interpreter, which runs a batch file: COMSPEC, as Windows
// sets it; else cmd.exe in the system folder (Windows NT) or COMMAND.COM in
// the Windows folder (95 to ME). 0 when its name does not fit.
int Interpreter(char (&name)[MAX_PATH])
{
    DWORD length = GetEnvironmentVariableA("COMSPEC", name, std::size(name));
    if (length > 0 && length < std::size(name))
        return 1;
    const char *file = Unicode_Windows() ? "\\cmd.exe" : "\\COMMAND.COM";
    int folder = (int)(Unicode_Windows() ? GetSystemDirectoryA(name, std::size(name))
                                         : GetWindowsDirectoryA(name, std::size(name)));
    if (folder == 0 || folder + lstrlenA(file) >= (int)std::size(name))
        return 0;
    lstrcatA(name, file);
    return 1;
}

// The command line that starts `command`, and the program it names, by the
// current folder where that folder holds it (".\Setsound.exe"), so that
// neither NoDefaultCurrentDirectoryInExePath (which keeps CreateProcess and
// the command interpreter from looking in the current folder for a bare
// name) nor a program of the same name in the launcher's own folder (where
// CreateProcess looks first) changes which one runs; else `application` is
// empty and Windows looks for it as for any bare name. The command line is
// `command` itself. A batch file (".bat", ".cmd") is run by the command
// interpreter, as CreateProcess's documentation asks: "/c" and the batch
// file by its folder (".\vexmoor.bat"); it must be in the current folder,
// where the flows have put the game's, for the interpreter would start and
// end for one that is not there, which is no start of it. 0 when it cannot
// start or does not fit.
int Command_Line(const char *command, char (&line)[line_size], char (&application)[MAX_PATH])
{
    char name[MAX_PATH];

    line[0] = application[0] = '\0';
    int length = Program_Name(command, name);
    int here = length > 0 && Held_Here(name);
    const char *extension = name + (length >= 4 ? length - 4 : 0);
    if (length >= 4 && (lstrcmpiA(extension, ".bat") == 0 || lstrcmpiA(extension, ".cmd") == 0)) {
        int quoted = *command == '"';
        if (!here || !Interpreter(application) ||
            lstrlenA(application) + lstrlenA(command) + 8 >= (int)std::size(line))
            return 0;
        lstrcpyA(line, "\"");
        lstrcatA(line, application);
        lstrcatA(line, quoted ? "\" /c \".\\" : "\" /c .\\");
        lstrcatA(line, command + quoted);
        return 1;
    }
    if (lstrlenA(command) >= (int)std::size(line) || length + 2 >= (int)std::size(application))
        return 0;
    if (here) {
        lstrcpyA(application, ".\\");
        lstrcatA(application, name);
    }
    lstrcpyA(line, command);
    return 1;
}
} // namespace

int Do_Process(const char *command, HWND owner, int suspended)
{
    // CreateProcessA may write into the command line it is given.
    char line[line_size], application[MAX_PATH];

    Close_Child_Handles();
    ZeroMemory(&procinfo, sizeof(procinfo));
    if (!Command_Line(command, line, application))
        return 0;
    Fill_Startup_Info();
    // The search for the program begins in the launcher's own folder, the
    // CD drive. With no disc in it ("Starten" after the disc was taken out,
    // the sound setup after a multi-disc installer left the tray empty),
    // Windows would show its box "There is no disk in the drive" on the
    // launcher's only thread; so the box is held back here, as for folder
    // changes, and the child starts with Windows' default error mode rather
    // than this one.
    UINT mode = Hold_Critical_Errors();
    DWORD flags = NORMAL_PRIORITY_CLASS | CREATE_DEFAULT_ERROR_MODE;
    if (suspended)
        flags |= CREATE_SUSPENDED;
    const char *named = application[0] != '\0' ? application : nullptr;
    int started = CreateProcessA(named, line, nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                                 &startinfo, &procinfo);
    DWORD error = GetLastError();
    SetErrorMode(mode);
    if (!started && error == elevation_required)
        started = Shell_Start(line, named, owner);
    return started;
}

void Resume_Child()
{
    if (procinfo.hThread)
        ResumeThread(procinfo.hThread);
}

NO_BUFFER int Wait_Finish()
{
    DWORD exit_code;

    HANDLE process = nullptr;
    if (procinfo.dwProcessId) {
        process = OpenProcess(child_access, FALSE, procinfo.dwProcessId);
    } else {
        // A child that the shell started comes with its handle alone.
        process = procinfo.hProcess;
        procinfo.hProcess = nullptr;
    }
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

NO_BUFFER DWORD Wait_Answering(HANDLE object, DWORD timeout_ms)
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
