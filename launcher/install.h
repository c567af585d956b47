// Installing the game: the installer from the start folder, the wait for
// its record, then the sound setup in the game folder, where the game has
// one.
#pragma once

#include <windows.h>

// Runs the three stages in order (two without a sound setup) and stops at
// the first that fails. 1 when all succeeded. `window` owns the warnings.
// With `replace_record`, a reinstall: Exec_Setup deletes the old record.
int Install_Game(HWND window, int replace_record);
// Runs "setup.exe" from the start folder and waits for it. 1 when it ran
// and ended. With `replace_record`, the record found is deleted once the
// installer has started, before it runs; when it cannot start, it stays.
// `window` owns what Windows asks (children.h).
int Exec_Setup(HWND window, int replace_record);
// Looks for the installation record once a second, up to 290 times. 1 when
// it was found; szFolderRead then names the new game folder.
int Delay_Read_Reg();
// Runs "Setsound.exe /Dx" (x: the start drive's letter, none for a start
// folder without one) in the game folder and waits for it. 1 when it ran
// and ended.
int Exec_SetSound(HWND window);

// The Install button: installs again, deleting the existing record once the
// installer has started, and reports the outcome. The window stays open.
void Install_Command(HWND window);
// The start-up without a record: installs and, when that succeeded, plays.
void First_Run(HWND window);
