// Screenshots as PNG files, encoded by the Windows Imaging Component.
#pragma once
#include <windows.h>

// Saves what the screen shows of the window, or the whole screen for a null
// window, as a PNG file. COM must be initialised on the calling thread.
// Returns false when it cannot.
bool Save_Screenshot(HWND window, const char *path);
