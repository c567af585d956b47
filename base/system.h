// What the launcher asks of Windows beyond what every version has: a
// function found at run time, where this Windows has it, and the
// critical-error box held back.
#pragma once

#include <windows.h>

// The address of the function `name` of the system DLL `dll`
// ("kernel32.dll", "shell32.dll"), loaded from the system folder alone,
// never from the launcher's own (a DLL there could be anyone's); null where
// this Windows lacks either. The DLL stays loaded.
FARPROC System_Address(const char *dll, const char *name);

// The same, as a pointer of the function's own type.
template <typename Function> Function System_Function(const char *dll, const char *name)
{
    // Through void (*)(void), which any function pointer converts to.
    return (Function)(void (*)(void))System_Address(dll, name);
}

// Holds back Windows' critical-error box ("There is no disk in the drive")
// for what the launcher does next, which then fails quietly instead of
// leaving its only thread in the box until the player clicks. Returns the
// error mode to restore with SetErrorMode as soon as that is done: the
// children inherit the mode the launcher was given, so that installers and
// the game still ask for their discs.
UINT Hold_Critical_Errors();
