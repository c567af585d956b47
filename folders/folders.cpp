#include "folders/folders.h"
#include "folders/dos.h"
#include "launcher/launcher.h"

#include <iterator>

int startdisk;
char startpath[MAX_PATH];

namespace
{
// Makes `drive` (A = 0) current and enters `path`; 0 on success. With no
// disc in the drive (a multi-disc installer that ended on another disc, a
// record naming an empty drive), Windows would answer with its critical-error
// box ("There is no disk in the drive"), and the launcher's only thread would
// sit in it, answering no other program, until the player clicked. The box
// is held back for these changes only and the mode restored at once: there is
// one thread, so nothing else runs meanwhile, and the children inherit the
// mode the launcher was given, so that installers and the game still ask for
// their discs as they do when Explorer starts them.
//
// `wide`, when given, is the same folder by its Unicode name, tried first.
// Where Windows lacks the Unicode call (95, 98 and ME), or the Unicode name
// cannot be entered, the ANSI name is tried as before.
int Change_Folder(int drive, const char *path, const WCHAR *wide = nullptr)
{
    UINT mode = SetErrorMode(SEM_FAILCRITICALERRORS);
    SetErrorMode(mode | SEM_FAILCRITICALERRORS);
    setdisk(drive);
    int result = wide && SetCurrentDirectoryW(wide) ? 0 : chdir(path);
    SetErrorMode(mode);
    return result;
}

// The Unicode name from the drive letter `letter` on: its first colon must
// follow that same letter, as in the ANSI name. Null otherwise.
const WCHAR *Wide_From_Drive(const WCHAR *wide, char letter)
{
    if (!wide)
        return nullptr;
    for (int i = 0; wide[i] != L'\0'; i++) {
        if (wide[i] == L':')
            return i > 0 && wide[i - 1] == (WCHAR)letter ? wide + i - 1 : nullptr;
    }
    return nullptr;
}
} // namespace

void Find_Start_Directory(void)
{
    startdisk = getdisk();
    lstrcpyA(startpath, "X:\\");
    startpath[0] = (char)('A' + startdisk);
    getcurdir(0, startpath + 3, std::size(startpath) - 3);
}

void Start_Directory(void)
{
    Change_Folder(startdisk, startpath);
}

int Find_sep(const char *text)
{
    for (int i = 0; text[i] != '\0'; i++) {
        if (text[i] == ':')
            return i;
    }
    return NO_SEPARATOR;
}

int Get_Drive(char letter)
{
    if (letter >= 'a' && letter <= 'z')
        return letter - 96;
    if (letter >= 'A' && letter <= 'Z')
        return letter - 64;
    return 0;
}

int New_Directory(HWND window, const char *folder, const WCHAR *wide)
{
    int sep = Find_sep(folder);
    if (sep == NO_SEPARATOR)
        return FOLDER_NO_COLON;
    if (sep == 0 || Get_Drive(folder[sep - 1]) == 0)
        return FOLDER_NO_DRIVE;

    // Anything before the drive letter is skipped.
    const char *path = folder + sep - 1;
    if (Change_Folder(Get_Drive(path[0]) - 1, path, Wide_From_Drive(wide, path[0])) != 0) {
        OkMessage(window, szFolderError, path);
        return FOLDER_CHANGE_FAILED;
    }
    return FOLDER_ENTERED;
}
