#include "base/system.h"

#include <iterator>

FARPROC System_Address(const char *dll, const char *name)
{
    char path[MAX_PATH];

    int length = (int)GetSystemDirectoryA(path, std::size(path));
    if (length == 0 || length + 1 + lstrlenA(dll) >= (int)std::size(path))
        return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, dll);
    HMODULE module = LoadLibraryA(path);
    return module ? GetProcAddress(module, name) : nullptr;
}

UINT Hold_Critical_Errors()
{
    // SetErrorMode returns the mode it replaces: the one to add to, and to
    // restore.
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS);
    return mode;
}
