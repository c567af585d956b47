// Screenshots as PNG files, written without any image library.
#pragma once
#include <windows.h>

// Saves what the screen shows of the window, or the whole screen for a null
// window, as a PNG file. Returns false when it cannot.
bool Save_Screenshot(HWND window, const char *path);
