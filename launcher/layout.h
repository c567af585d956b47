// The launcher window fitted to its texts when it runs: only there are the
// player's fonts, dots per inch and code page known, and the widths of a
// face differ from one Windows to the next.
#pragma once

#include <windows.h>

// Makes room in the launcher window `window` for each control's text as
// its own font draws it: the line wider, within the window, else on more
// lines; the buttons wider, keeping their order, their row and the gaps
// between them; each control taller for a taller face; the window larger
// with them, within the screen's work area. Where every text fits, nothing
// moves.
void Fit_Window(HWND window);
