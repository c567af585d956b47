#include "folders/folders.h"
#include "folders/dos.h"
#include "launcher/launcher.h"

#include <string.h>
#include <iterator>

int startdisk;
char startpath[MAX_PATH];

void Find_Start_Directory(void)
{
    startdisk = getdisk();
    strcpy(startpath, "X:\\");
    startpath[0] = (char)('A' + startdisk);
    getcurdir(0, startpath + 3, std::size(startpath) - 3);
}

void Start_Directory(void)
{
    setdisk(startdisk);
    chdir(startpath);
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

int New_Directory(HWND window, const char *folder)
{
    int sep = Find_sep(folder);
    if (sep == NO_SEPARATOR)
        return FOLDER_NO_COLON;
    if (sep == 0 || Get_Drive(folder[sep - 1]) == 0)
        return FOLDER_NO_DRIVE;

    // Anything before the drive letter is skipped.
    const char *path = folder + sep - 1;
    setdisk(Get_Drive(path[0]) - 1);
    if (chdir(path) != 0) {
        OkMessage(window, "Folder Error %s", path);
        return FOLDER_CHANGE_FAILED;
    }
    return FOLDER_ENTERED;
}
