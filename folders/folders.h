// The start folder (where the launcher was started, normally the CD) and the
// game folder (named by the installation record). Child programs inherit the
// launcher's current drive and folder, so the launcher moves itself there.
#pragma once

#include <windows.h>

// The drive of the launcher's own folder, A = 0; -1 for a folder named
// without a drive letter ("\\server\cd").
extern int startdisk;
// The launcher's own folder, in full: "E:\" or "E:\SETUP"; in the ANSI code
// page, and by its Unicode name, which keeps every letter (empty when it is
// not known).
extern char startpath[MAX_PATH];
extern WCHAR startpathW[MAX_PATH];

// Results of New_Directory.
enum {
    FOLDER_ENTERED = 0,
    FOLDER_NO_COLON = 1,
    FOLDER_NO_DRIVE = 2,
    FOLDER_CHANGE_FAILED = 3,
};

// Find_sep's result for a text without a colon.
const int NO_SEPARATOR = -1;

// Records install.exe's own folder as the start folder.
void Find_Start_Directory(void);
// Records the folder of `program`, a program's full path, as the start
// folder; a path too long for startpath leaves it as it was.
void Start_Directory_Of(const WCHAR *program);
// Enters the start folder again; 0 when it was entered.
int Start_Directory(void);
int Find_sep(const char *text);
int Get_Drive(char letter);
// Enters the folder that `folder` names from its drive letter on; by the
// same folder's Unicode name `wide` where one is given (the record's, which
// may hold characters that `folder`, its ANSI reading, lacks). The warning
// and the results go by `folder`.
int New_Directory(HWND window, const char *folder, const WCHAR *wide = nullptr);
