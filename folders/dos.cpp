#include "folders/dos.h"

#include <windows.h>
#include <direct.h>
#include <iterator>

int getdisk(void)
{
    return _getdrive() - 1;
}

int setdisk(int drive)
{
    return _chdrive(drive + 1);
}

int getcurdir(int drive, char *directory, int size)
{
    char full[MAX_PATH];

    directory[0] = '\0';
    // _getdcwd gives "E:\" or "E:\SETUP"; the drive part is dropped.
    if (!_getdcwd(drive, full, std::size(full)) || lstrlenA(full) < 3 || full[1] != ':')
        return -1;
    if (lstrlenA(full + 3) >= size)
        return -1;
    lstrcpyA(directory, full + 3);
    return 0;
}

int __cdecl chdir(const char *path)
{
    return _chdir(path);
}
