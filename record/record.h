// The installation record: the key Software\<company>\<product>\<version>
// under HKEY_CURRENT_USER, whose text value "folder" names the game folder. The installer
// writes it; the launcher reads it and, before a reinstall, deletes it.
#pragma once

#include "base/ids.h"

#include <windows.h>

// The game folder as the last successful ReadRegistry left it; always a
// terminated text, empty until the first successful read.
extern char szFolderRead[FOLDER_BUFFER];
// The same value as Unicode text, read by the same ReadRegistry, where
// Windows has the Unicode registry functions (NT and later); empty where it
// has not, and when the value is not text. The registry keeps text as
// Unicode, and the ANSI reading turns a character that the ANSI code page
// lacks into another one or "?": a game folder under a profile named in
// another script is entered by this name.
extern WCHAR szFolderReadW[FOLDER_BUFFER];

// The names are UTF-8: the key is opened by its Unicode name on Windows NT,
// where a record that a Unicode installer wrote under names outside the ANSI
// code page is found too, and in the ANSI code page on Windows 95 to ME.

// Reads the value "folder" into szFolderRead and szFolderReadW. 1 when the
// record is there and its text fits, 0 otherwise (both are then left as
// they were). On Windows NT its Unicode text decides, and szFolderRead
// holds as much of its ANSI reading as fits.
int ReadRegistry(const char *company, const char *product, const char *version);

// Deletes the record's own key (the version's) with everything beneath it,
// then the product key and then the company key, each only when nothing
// else is left in it. 0 when the company key cannot be opened (nothing is
// deleted), 1 otherwise.
int DeleteRegistry(const char *company, const char *product, const char *version);
