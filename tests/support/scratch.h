// Scratch registry keys and folders for the tests, on the scratch prefix's
// HKEY_CURRENT_USER and on the drives E: (CD-like) and G: (game drive).
#pragma once

#include "support/caller.h"

#include <windows.h>

#include <string>

// "Software\Halvaro", the company key of the installation record.
extern const char company_key[];
// "Software\Halvaro\Vexmoor": the product's key, which a first run creates.
extern const char product_key[];
// "Software\Halvaro\Vexmoor\Version 1.0", the installation record.
extern const char record_key[];

// Deletes HKEY_CURRENT_USER\<path> with everything beneath it, if present.
void DeleteTree(const char *path, const Caller & = {});
// Creates HKEY_CURRENT_USER\<path>, with the value `name` when one is given.
void WriteKey(const char *path, const char *name = nullptr, DWORD type = REG_SZ,
              const void *data = nullptr, DWORD size = 0, const Caller & = {});
// Writes a text value, given in UTF-8, as Unicode with its terminator, as
// current installers write it.
void WriteText(const char *path, const char *name, const std::string &text, const Caller & = {});
// UTF-8 as Unicode text.
std::wstring Wide(const std::string &utf8, const Caller & = {});
bool KeyExists(const char *path);
// The text of a value, or "<missing>".
std::string ReadText(const char *path, const char *name);

// Creates a folder (named in UTF-8) and every folder above it.
void MakeFolders(const std::string &path, const Caller & = {});
std::string CurrentFolder();
// HKEY_CURRENT_USER\<path> and everything beneath it as text, leaving out
// the key `left_out` and its subkeys when one is given, and Wine's own
// settings: for comparing the registry before and after.
std::string DumpKeys(const char *path, const char *left_out = nullptr);
// How many processes of that file name run now.
int CountProcesses(const char *program);
// Creates a mutex of that name whose security descriptor lets nobody open
// it, as an elevated launcher's lets no launcher at a lower integrity level
// open it. Returns its handle, for the caller to close.
HANDLE DeniedMutex(const char *name, const Caller & = {});
