#include "folders/dos.h"
#include "folders/folders.h"

#include <windows.h>

#include <iterator>

namespace
{
// The drive of a full path ("E:\SETUP"), A = 0, or -1 for none (a UNC path).
int Drive_Of(const char *path)
{
    return path[1] == ':' ? Get_Drive(path[0]) - 1 : -1;
}

// Remembers the current folder as its drive's own, as the C runtime does:
// Windows keeps each drive's current folder in the environment variable
// "=X:", which a path of the drive alone ("X:") then leads back to.
void Remember_Folder()
{
    char full[MAX_PATH];
    char name[] = "=X:";

    DWORD length = GetCurrentDirectoryA(std::size(full), full);
    if (length == 0 || length >= std::size(full) || Drive_Of(full) < 0)
        return;
    name[1] = (char)('A' + Drive_Of(full));
    SetEnvironmentVariableA(name, full);
}
} // namespace

int getdisk(void)
{
    char full[MAX_PATH];

    DWORD length = GetCurrentDirectoryA(std::size(full), full);
    return length == 0 || length >= std::size(full) ? -1 : Drive_Of(full);
}

int setdisk(int drive)
{
    // The drive alone: Windows goes to that drive's current folder.
    char path[] = "X:";

    if (drive < 0 || drive >= 26)
        return -1;
    path[0] = (char)('A' + drive);
    if (!SetCurrentDirectoryA(path))
        return -1;
    Remember_Folder();
    return 0;
}

int getcurdir(int drive, char *directory, int size)
{
    char full[MAX_PATH];
    char path[] = "X:.";
    LPSTR file;

    directory[0] = '\0';
    if (drive == 0)
        drive = getdisk() + 1;
    if (drive < 1 || drive > 26)
        return -1;
    // The drive's own current folder, "E:\" or "E:\SETUP"; the drive part
    // is dropped.
    path[0] = (char)('A' + drive - 1);
    DWORD length = GetFullPathNameA(path, std::size(full), full, &file);
    if (length < 3 || length >= std::size(full) || full[1] != ':')
        return -1;
    if (lstrlenA(full + 3) >= size)
        return -1;
    lstrcpyA(directory, full + 3);
    return 0;
}

int __cdecl chdir(const char *path)
{
    if (!SetCurrentDirectoryA(path))
        return -1;
    Remember_Folder();
    return 0;
}
