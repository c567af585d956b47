#include "launcher/face.h"
#include "base/text.h"

#include <iterator>

// Tahoma has the letters of every code page that an edition may be in, and
// every Windows from 2000 to 11 has it: it is the face of those Windows'
// own dialogs ("MS Shell Dlg 2"), and the one the tests' Wine has too.
const char foreign_face[] = "Tahoma";

namespace
{
// 1 on Windows 2000 and later: Windows NT from version 5.
int Has_Foreign_Face()
{
    return Unicode_Windows() && LOBYTE(LOWORD(GetVersion())) >= 5;
}
} // namespace

int Lacks_Letters(const WCHAR *text)
{
    char ansi[MAX_PATH * 2];
    WCHAR back[MAX_PATH];
    BOOL defaulted = FALSE;

    // The text and back: a letter that the code page lacks comes back as
    // its default character or as the nearest letter it has.
    if (!WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, std::size(ansi), nullptr, &defaulted) ||
        defaulted || !MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, std::size(back)))
        return 1;
    for (int i = 0; text[i] != L'\0' || back[i] != L'\0'; i++)
        if (text[i] != back[i])
            return 1;
    return 0;
}

HFONT Foreign_Font(HFONT dialog_font, BYTE charset)
{
    LOGFONTA face;

    if (!dialog_font || !GetObjectA(dialog_font, sizeof(face), &face))
        return nullptr;
    face.lfCharSet = charset;
    // The name and its terminator fit LF_FACESIZE (32) with room to spare.
    if (Has_Foreign_Face())
        lstrcpynA(face.lfFaceName, foreign_face, LF_FACESIZE);
    return CreateFontIndirectA(&face);
}
