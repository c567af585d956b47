// The launcher's shared names and texts, and its warning message. Each
// edition of install.exe has its own (launcher/names.cpp); the Vexmoor
// edition's are given here.
#pragma once

#include <windows.h>

// The three names that locate the installation record, always passed
// together and in this order: "Halvaro", "Vexmoor", "Version 1.0".
extern const char szCompanyName[];
extern const char szProductName[];
extern const char szVersionName[];

// The mutex that one launcher of this edition holds while it runs, named
// after company and product: "Halvaro Vexmoor install.exe".
extern const char launcher_mutex[];

// The caption of every warning box: "Install".
extern const char warning_caption[];
// What a warning shows for an empty argument: "(untitled)".
extern const char szUntitled[];
// The warnings, each with exactly one "%s": "Cannot Find %s",
// "Game Run Error %s", "Folder Error %s", "Installation complete %s",
// "Installation incomplete %s" (both after the Install command) and
// "Installation Incomplete %s" (the first run).
extern const char szCannotFind[];
extern const char szGameRunError[];
extern const char szFolderError[];
extern const char szInstallComplete[];
extern const char szInstallIncomplete[];
extern const char szFirstRunIncomplete[];

// The programs, each started by its name alone: "setup.exe" from the start
// folder; "Setsound.exe" in the game folder, with the switch "/D" and the
// start drive's letter; "vexmoor.bat" and "REPLAY.BAT" in the game folder.
extern const char szInstaller[];
extern const char szSoundSetup[];
extern const char szSoundSwitch[];
extern const char szGame[];
extern const char szContinueGame[];

// Shows a warning box with warning_caption, owned by `owner`. `format` takes
// exactly one "%s"; an empty argument reads as szUntitled. Returns the
// message box's result.
int OkMessage(HWND owner, const char *format, const char *argument);
