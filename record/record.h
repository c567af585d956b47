// The installation record: the key Software\<company>\<product>\<version>
// under HKEY_CURRENT_USER, whose text value "folder" names the game folder. The installer
// writes it; the launcher reads it and, before a reinstall, deletes it.
#pragma once

#include <windows.h>

// The game folder as the last successful ReadRegistry left it; always a
// terminated text, empty until the first successful read.
extern char szFolderRead[MAX_PATH];

// Reads the value "folder" into szFolderRead. 1 when the record is there and
// its text fits, 0 otherwise (szFolderRead is then left as it was).
int ReadRegistry(const char *company, const char *product, const char *version);

// Deletes the product key with everything beneath it, then the company key
// if nothing else is left in it. 0 when the company key cannot be opened
// (nothing is deleted), 1 otherwise.
int DeleteRegistry(const char *company, const char *product, const char *version);
