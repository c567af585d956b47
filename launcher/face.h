// The face the launcher window's texts are drawn in. The template's face
// ("MS Sans Serif") is a bitmap font, which has the letters of one code
// page, and Windows has only its own code page's variant. For a language
// with a letter it lacks, Windows 2000 and later draw the window in a face
// that has every letter, checked when the launcher runs: never a box.
#pragma once

#include "launcher/launcher.h"

#include <windows.h>

// A face for the window's controls: its name (empty for the dialog's font
// as the template makes it), the character set it is asked for in, and its
// size in points (0: the template's).
struct Face {
    char name[FACE_BUFFER];
    BYTE charset;
    BYTE points;
};

// The face that draws every letter of `texts` (the controls' texts in
// `speaking`, UTF-8, `count` of them) on this Windows, into `face`: the
// edition's own for the language, where it gives one; the template's
// `template_face`; and from Windows 2000 on, Tahoma, then the language's
// own dialog faces (MS UI Gothic for Japanese, say). Returns 0 when none
// has them all, so that the language cannot be shown here. Windows 95 to
// ME, which show a language of their own code page alone, keep the
// template's face, but for a double-byte code page's own dialog face; NT
// 4.0 keeps it too, asked for the language's character set.
int Choose_Face(const Language &speaking, const char *template_face, const char *const *texts,
                int count, Face &face);

// `face` as a font: `dialog_font` (the template's, as the dialog manager
// made it) in that face and character set, at its size where it has one.
// Null when it cannot be made.
HFONT Face_Font(HFONT dialog_font, const Face &face);
