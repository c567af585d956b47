// The start folder (where the launcher was started, normally the CD) and the
// game folder (named by the installation record). Child programs inherit the
// launcher's current drive and folder, so the launcher moves itself there.
#pragma once

#include <windows.h>

// The drive current at start-up, A = 0.
extern int startdisk;
// The folder current at start-up, in full: "E:\" or "E:\SETUP".
extern char startpath[MAX_PATH];

// Results of New_Directory.
enum {
    FOLDER_ENTERED = 0,
    FOLDER_NO_COLON = 1,
    FOLDER_NO_DRIVE = 2,
    FOLDER_CHANGE_FAILED = 3,
};

// Find_sep's result for a text without a colon.
const int NO_SEPARATOR = -1;

void Find_Start_Directory(void);
void Start_Directory(void);
int Find_sep(const char *text);
int Get_Drive(char letter);
// Enters the folder that `folder` names from its drive letter on; by the
// same folder's Unicode name `wide` where one is given (the record's, which
// may hold characters that `folder`, its ANSI reading, lacks). The warning
// and the results go by `folder`.
int New_Directory(HWND window, const char *folder, const WCHAR *wide = nullptr);
