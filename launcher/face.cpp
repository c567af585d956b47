#include "launcher/face.h"
#include "base/system.h"
#include "base/text.h"

#include <iterator>

namespace
{
typedef DWORD(WINAPI *Glyph_Indices)(HDC, LPCWSTR, int, LPWORD, DWORD);
typedef BOOL(WINAPI *Charset_Info)(DWORD *, LPCHARSETINFO, DWORD);

// Tahoma has the letters of every code page that Windows' core fonts
// cover (Latin, Greek, Cyrillic, Hebrew, Arabic, Thai), and every Windows
// from 2000 to 11 has it: it is the face of those Windows' own dialogs ("MS
// Shell Dlg 2"). East Asian letters it only links to other fonts, which a
// glyph check does not see: those languages' own dialog faces follow.
const char tahoma[] = "Tahoma";
const struct {
    WORD code_page;
    const char *name;
} own_faces[] = {
    {932, "MS UI Gothic"},       {936, "SimSun"}, {936, "Microsoft YaHei"}, {950, "PMingLiU"},
    {950, "Microsoft JhengHei"}, {949, "Gulim"},  {949, "Malgun Gothic"},
};

// 1 when `code_page` has every letter of `text`: without the nearest
// letter it has in place of one it lacks ("l" for "ł"), which Windows 2000
// and later leave out when asked.
int Has_All(UINT code_page, const WCHAR *text)
{
    char ansi[MAX_PATH * 2];
    BOOL defaulted = FALSE;

    return WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, text, -1, ansi, std::size(ansi),
                               nullptr, &defaulted) &&
           !defaulted;
}

// 1 when the font selected into `dc` has a glyph of its own for every
// letter of `text`. An outline font says so by its glyph indices; a bitmap
// font has the letters of its character set's code page, which its glyph
// indices would not tell, as Windows maps a letter it lacks to the nearest.
int Draws_All(HDC dc, const WCHAR *text, int length)
{
    TEXTMETRICA metrics;
    WORD glyphs[MAX_PATH];
    CHARSETINFO charset;

    if (!GetTextMetricsA(dc, &metrics))
        return 0;
    if (!(metrics.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR))) {
        auto translate = System_Function<Charset_Info>("gdi32.dll", "TranslateCharsetInfo");
        return translate &&
               translate((DWORD *)(UINT_PTR)metrics.tmCharSet, &charset, TCI_SRCCHARSET) &&
               Has_All(charset.ciACP, text);
    }
    auto indices = System_Function<Glyph_Indices>("gdi32.dll", "GetGlyphIndicesW");
    if (!indices || indices(dc, text, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS) == GDI_ERROR)
        return 0;
    for (int i = 0; i < length; i++)
        if (glyphs[i] == 0xFFFF)
            return 0;
    return 1;
}

// 1 when the face Windows gives for `name` in `charset` draws every letter
// of the texts; its own name into `given`, where one is asked for. A face
// that lacks the character set or is missing is given as another.
int Has_Letters(const char *name, BYTE charset, const char *const *texts, int count,
                char *given = nullptr)
{
    LOGFONTA asked = {};
    WCHAR text[MAX_PATH];
    int has = 1;

    asked.lfHeight = -11;
    asked.lfCharSet = charset;
    lstrcpynA(asked.lfFaceName, name, LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&asked);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    for (int i = 0; has && i < count; i++) {
        // As the window has it: cut, as Set_Text cuts it, where it is longer.
        Utf8_To_Wide(texts[i], text, std::size(text));
        int length = 0;
        while (text[length] != L'\0')
            length++;
        has = font && Draws_All(dc, text, length);
    }
    if (given)
        GetTextFaceA(dc, LF_FACESIZE, given);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return has;
}

} // namespace

int Choose_Face(const Language &speaking, const char *template_face, const char *const *texts,
                int count, Face &face)
{
    // The dialog's font: the template's face, in the character set the
    // dialog manager asks for.
    face = {};
    face.charset = DEFAULT_CHARSET;
    if (!Windows_2000_On()) {
        // Windows NT 4.0 may lack Tahoma: its other code pages' letters
        // come, if at all, from the template's face in their character set.
        if (Unicode_Windows() && !Has_Letters(template_face, DEFAULT_CHARSET, texts, count)) {
            lstrcpynA(face.name, template_face, LF_FACESIZE);
            face.charset = speaking.charset;
        }
        // Windows 95 to ME of a double-byte code page: its own dialog face,
        // in its character set. The template's face has one code page's
        // letters; drawn and measured in it, the ANSI texts would be read
        // in that code page's, not as the two-byte letters they are.
        CPINFO info;
        if (!Unicode_Windows() && GetCPInfo(speaking.code_page, &info) && info.MaxCharSize > 1)
            for (auto &own : own_faces)
                if (own.code_page == speaking.code_page && face.name[0] == '\0') {
                    lstrcpynA(face.name, own.name, LF_FACESIZE);
                    face.charset = speaking.charset;
                }
        return 1;
    }
    // The language's own face, the template's, Tahoma, then the language's
    // own dialog faces: the first that has every letter, by the name of the
    // face Windows gives for it. The template's stays the dialog's font.
    const char *names[3 + std::size(own_faces)] = {speaking.face, template_face};
    int candidates = 2;
    names[candidates++] = tahoma;
    for (auto &own : own_faces)
        if (own.code_page == speaking.code_page)
            names[candidates++] = own.name;
    for (int i = 0; i < candidates; i++) {
        if (!names[i] || names[i][0] == '\0')
            continue;
        BYTE charset = i == 1 ? DEFAULT_CHARSET : speaking.charset;
        if (Has_Letters(names[i], charset, texts, count, face.name)) {
            if (i == 1)
                face.name[0] = '\0';
            face.charset = charset;
            face.points = i == 0 ? speaking.points : 0;
            return 1;
        }
    }
    face.name[0] = '\0';
    return 0;
}

HFONT Face_Font(HFONT dialog_font, const Face &face)
{
    LOGFONTA font;

    if (!dialog_font || !GetObjectA(dialog_font, sizeof(font), &font))
        return nullptr;
    font.lfCharSet = face.charset;
    lstrcpynA(font.lfFaceName, face.name, LF_FACESIZE);
    if (face.points) {
        HDC screen = GetDC(nullptr);
        font.lfHeight = -MulDiv(face.points, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
    }
    return CreateFontIndirectA(&font);
}
