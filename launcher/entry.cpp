// install.exe's entry point, in place of the C runtime's: the launcher needs
// nothing of a runtime (no heap, no streams, no exceptions, no static
// constructors), and Windows 95 as it shipped has no msvcrt.dll, without
// which it would not even load the program. The entry does what the
// runtime's would for WinMain, and two things of the launcher's own: it
// seeds the stack guard, and it keeps DLLs loaded by name out of its own
// folder.
#include "base/guard.h"
#include "base/system.h"

#include <windows.h>

namespace
{
// LOAD_LIBRARY_SEARCH_SYSTEM32, as the Windows 8 SDK defines it.
const DWORD search_system32 = 0x00000800;

typedef BOOL(WINAPI *Set_Dll_Directories)(DWORD);

// A copy of the disc in Downloads or on a USB stick is a folder where any
// program may have left a DLL, and Windows looks beside the program first
// for the DLLs that it loads by name once the program runs (uxtheme.dll when
// the window is made, among others).
// Only the system folder then: the function is in Windows 8, and in Vista
// and 7 with update KB2533623. Without it the search stays as it was. The
// child programs keep their own search order.
void Limit_Dll_Search()
{
    auto set_directories =
        System_Function<Set_Dll_Directories>("kernel32.dll", "SetDefaultDllDirectories");
    if (set_directories)
        set_directories(search_system32);
}

// The command line after the program's name, as WinMain is given it.
LPSTR Arguments()
{
    LPSTR line = GetCommandLineA();
    bool quoted = false;

    for (; *line != '\0' && (quoted || (*line != ' ' && *line != '\t')); line++) {
        if (*line == '"')
            quoted = !quoted;
    }
    while (*line == ' ' || *line == '\t')
        line++;
    return line;
}

// The show command, as WinMain is given it.
int Show_Command()
{
    STARTUPINFOA startup;

    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    return startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : SW_SHOWDEFAULT;
}
} // namespace

// Windows calls this with nothing on the stack of ours: it must not check
// the guard, which it changes first. On 32-bit Windows the stack may come
// aligned to 4 bytes only. Nothing in the program calls it, so link-time
// optimisation must be told to keep it.
extern "C" __attribute__((noreturn, no_stack_protector, used, externally_visible
#ifndef _WIN64
                          ,
                          force_align_arg_pointer
#endif
                          )) void
WinMainCRTStartup(void)
{
    Seed_Guard();
    Limit_Dll_Search();
    ExitProcess(WinMain(GetModuleHandleA(nullptr), nullptr, Arguments(), Show_Command()));
}
