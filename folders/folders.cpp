#include "folders/folders.h"
#include "base/system.h"
#include "base/text.h"
#include "folders/dos.h"
#include "launcher/launcher.h"

#include <iterator>

int startdisk;
char startpath[MAX_PATH];
WCHAR startpathW[MAX_PATH];

namespace
{
// Makes `drive` (A = 0) current and enters `path`; 0 on success. With no
// disc in the drive (a multi-disc installer that ended on another disc, a
// record naming an empty drive), Windows would answer with its critical-error
// box, which is held back for these changes only (base/system.h): there is
// one thread, so nothing else runs meanwhile.
//
// `wide`, when given, is the same folder by its Unicode name, tried first.
// Where Windows lacks the Unicode call (95, 98 and ME), or the Unicode name
// cannot be entered, the ANSI name is tried as before.
int Change_Folder(int drive, const char *path, const WCHAR *wide = nullptr)
{
    UINT mode = Hold_Critical_Errors();
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
    WCHAR program[MAX_PATH];
    char ansi[MAX_PATH];
    DWORD length;

    // The launcher's own folder is the CD's, however it was started: from
    // AutoPlay or Explorer the current folder is that folder too, but from
    // the Run box ("E:\install.exe"), a command prompt, a shortcut that
    // starts elsewhere or a game front end it is not. Windows NT gives its
    // Unicode name, which the ANSI one reads with "?" for letters that the
    // code page lacks (a copy of the disc in "C:\Users\Łukasz" on a German
    // Windows). A name that filled the buffer may have been cut, and Windows
    // XP leaves it unterminated.
    if (Unicode_Windows()) {
        length = GetModuleFileNameW(nullptr, program, std::size(program));
    } else {
        length = GetModuleFileNameA(nullptr, ansi, std::size(ansi));
        if (length > 0 && length < std::size(ansi) &&
            !MultiByteToWideChar(CP_ACP, 0, ansi, -1, program, std::size(program)))
            length = 0;
    }
    if (length > 0 && length < std::size(program)) {
        Start_Directory_Of(program);
        return;
    }
    // Else the current folder, as good a guess as any.
    startdisk = getdisk();
    lstrcpyA(startpath, "X:\\");
    startpath[0] = (char)('A' + startdisk);
    getcurdir(0, startpath + 3, std::size(startpath) - 3);
    startpathW[0] = L'\0';
}

void Start_Directory_Of(const WCHAR *program)
{
    // A program started by a "\\?\" path has its name with that prefix
    // ("\\?\E:\install.exe", "\\?\UNC\server\cd\install.exe"), and Wine
    // names a program on a share "UNC\server\cd\install.exe": each is
    // read as its plain form, "E:\install.exe" or "\\server\cd\install.exe".
    const WCHAR *path = program;
    if (path[0] == L'\\' && path[1] == L'\\' && path[2] == L'?' && path[3] == L'\\')
        path += 4;
    int share = path[0] == L'U' && path[1] == L'N' && path[2] == L'C' && path[3] == L'\\';
    if (share)
        path += 3; // at the first backslash of "\server", whose other one is added
    int last = -1;
    for (int i = 0; path[i] != L'\0'; i++) {
        if (path[i] == L'\\')
            last = i;
    }
    // The program's name goes; a drive's root keeps its backslash ("E:\").
    int root = path[0] != L'\0' && path[1] == L':' ? 3 : 0;
    int length = last < root ? root : last;
    if (length <= 0 || share + length >= (int)std::size(startpathW))
        return;
    startpathW[0] = L'\\';
    for (int i = 0; i < length; i++)
        startpathW[share + i] = path[i];
    startpathW[share + length] = L'\0';
    // Its ANSI reading, for Windows 95 to ME.
    Wide_To_Ansi(startpathW, startpath, std::size(startpath));
    // Without a drive letter (a disc shared as "\\server\cd"), -1.
    WCHAR letter = startpathW[0];
    startdisk = startpathW[1] == L':' && letter < 0x80 ? Get_Drive((char)letter) - 1 : -1;
}

int Start_Directory(void)
{
    // By its Unicode name where Windows has one (folders.h).
    return Change_Folder(startdisk, startpath, startpathW[0] != L'\0' ? startpathW : nullptr);
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
    const WCHAR *unicode = Wide_From_Drive(wide, path[0]);
    if (Change_Folder(Get_Drive(path[0]) - 1, path, unicode) != 0) {
        // Named as the registry has it, in any code page's letters.
        OkMessage(window, Text(text_folder_error), path, unicode);
        return FOLDER_CHANGE_FAILED;
    }
    return FOLDER_ENTERED;
}
