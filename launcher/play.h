// Starting the installed game in the game folder that the record names.
#pragma once

#include <windows.h>

// Runs "vexmoor.bat" in the game folder and waits until it has ended. 1 when
// it ran and ended; 0 after showing why not. `window` owns the warnings.
int Play_Game(HWND window);
// Starts "vexmoor.bat" in the current folder and waits for it. 1 when it ran
// and ended, 0 otherwise. `window` owns what Windows asks (children.h).
int Exec_Pif(HWND window);
// Starts "REPLAY.BAT" in the game folder without waiting for it. 1 when it
// was started; 0 otherwise (a folder that cannot be entered is warned of).
int Continue_Game(HWND window);
