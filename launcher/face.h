// The face of a language shown on a Windows whose ANSI code page lacks some
// of its letters. The template's face ("MS Sans Serif") is a bitmap font,
// which has the letters of one code page: Windows has only its own code
// page's, and for a letter that code page lacks GDI's font mapper would pick
// some other face, which the edition's build never measured.
#pragma once

#include <windows.h>

// The face the launcher names for such a language from Windows 2000 on.
extern const char foreign_face[];

// 1 when the Unicode `text` has a letter that Windows' ANSI code page lacks
// (or that it has only in another form: "ł" as "l"), so that the dialog's
// font cannot draw it.
int Lacks_Letters(const WCHAR *text);

// A font for texts of the character set `charset` that have letters
// Windows' code page lacks: `dialog_font` (the template's, as the dialog
// manager made it) in foreign_face, at the same height. Windows NT 4.0,
// which may lack that face, keeps the template's and asks for the
// character set alone. Null when it cannot be made.
HFONT Foreign_Font(HFONT dialog_font, BYTE charset);
