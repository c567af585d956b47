// A DLL that some other program left in the folder of a copied disc, put
// beside install.exe as uxtheme.dll, which Windows loads by name once a
// window is made. Loaded, it leaves a mark: an empty file planted.mark in
// the temporary folder.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    char path[MAX_PATH];

    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    DWORD length = GetTempPathA(MAX_PATH, path);
    if (length == 0 || length + sizeof("planted.mark") > MAX_PATH)
        return TRUE;
    lstrcatA(path, "planted.mark");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return TRUE;
}
