// Checks that an edition's texts fit the launcher window on one Windows:
// builds the window from install.exe's own template, hidden, gives it each
// language's texts and font as the launcher does on this Windows, and
// measures each text in the font it is drawn in.
//     fit.exe INSTALL_EXE CODE_PAGE DPI TEXTS...
// CODE_PAGE and DPI are what this Windows must have: its ANSI code page and
// the dots per inch it draws at. Each TEXTS, a UTF-8 file of "setting=text"
// lines (edition.py --texts), gives a language: its "id", "code_page" and
// "charset" and its window's texts.
// Prints a line for each text that does not fit, or that cannot be measured
// because the face it is drawn in lacks a letter of it or is not the face
// the launcher asks for, each as "ID SETTING WHERE CODE_PAGE DPI: what":
//     0415 line foreign 1252 96: 251 of 240 pixels, 259 with its margin
//     0408 line foreign 1252 96: "Ω" (U+03A9) is not in "Tahoma"
//     0408 line foreign 1252 96: drawn in "Marlett", not in "Tahoma"
// WHERE is "home" on a Windows of the language's code page, "shared" on
// another one that has all its letters (the template's face), "foreign" on
// one that lacks some (launcher/face.h). Ends with 1 after such a line; 0
// when all fit; 2 when it cannot measure as asked: the template or a TEXTS
// cannot be read, or this Windows' code page or dots per inch are not those
// asked for.
#include "base/ids.h"
#include "launcher/face.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iterator>

namespace
{
// The controls of the template, by id, and the setting that names each text
// (base/ids.h). The window itself (id 0), its caption, is measured on its
// own.
#define WINDOW_TEXT(id, setting) {id, #setting},
const struct {
    int id;
    const char *setting;
} controls[] = {LAUNCHER_WINDOW(WINDOW_TEXT)};
#undef WINDOW_TEXT

// The language being measured, as its TEXTS gives it, and where.
struct Language {
    char id[8];
    UINT code_page;
    BYTE charset;
    const char *where;
};
Language language;
int dpi;

// A text may take its place less a margin, a part of its width, for what
// Wine's fonts do not show of Windows' own. Wine's "MS Sans Serif" and
// Tahoma are drawn after Microsoft's metrics, but hinting at these sizes
// may give a letter a pixel more or less: a thirty-second of the width is
// a pixel every five or six letters. Windows draws the caption in a face
// of its own, which changes with the version (Tahoma Bold on Windows 2000,
// Trebuchet MS on XP, Segoe UI from Vista on, each wider than Wine's Tahoma
// Bold): a quarter.
const int margin_part = 32;
const int caption_margin_part = 4;

// A push button draws its text inside a 3D edge and its focus rectangle.
const int button_margin = 6;

int Starts_With(const char *line, const char *name)
{
    size_t length = std::strlen(name);
    return std::strncmp(line, name, length) == 0 && line[length] == '=';
}

// Sets each text that `path` gives in the window, and reads the language;
// 0 when it cannot be read or names no code page.
int Set_Texts(HWND window, const char *path)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return 0;
    char line[1024];
    wchar_t text[1024];
    language = {};
    while (std::fgets(line, sizeof(line), file)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char *value = std::strchr(line, '=');
        if (!value)
            continue;
        if (Starts_With(line, "id"))
            std::snprintf(language.id, sizeof(language.id), "%s", value + 1);
        if (Starts_With(line, "code_page"))
            language.code_page = (UINT)std::atoi(value + 1);
        if (Starts_With(line, "charset"))
            language.charset = (BYTE)std::atoi(value + 1);
        *value++ = '\0';
        MultiByteToWideChar(CP_UTF8, 0, value, -1, text, (int)std::size(text));
        if (std::strcmp(line, "caption") == 0)
            SetWindowTextW(window, text);
        for (auto &control : controls)
            if (control.id && std::strcmp(line, control.setting) == 0)
                SetDlgItemTextW(window, control.id, text);
    }
    std::fclose(file);
    return language.code_page != 0;
}

// The text as the window shows it: "&&" is one "&" (the build refuses a
// single one).
void Shown_Text(const wchar_t *text, wchar_t *shown, size_t size)
{
    size_t length = 0;
    for (; *text != L'\0' && length + 1 < size; text++) {
        shown[length++] = *text;
        if (text[0] == L'&' && text[1] == L'&')
            text++;
    }
    shown[length] = L'\0';
}

// A bitmap font draws a letter it lacks as its default character, a box:
// whether `letter` is drawn as that.
bool Drawn_As_Default(HDC dc, wchar_t letter, wchar_t default_char)
{
    const int side = 64;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    static DWORD drawn[2][side * side];
    const wchar_t both[2] = {letter, default_char};
    for (int i = 0; i < 2; i++) {
        RECT all = {0, 0, side, side};
        FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
        TextOutW(dc, 0, 0, &both[i], 1);
        GdiFlush();
        std::memcpy(drawn[i], bits, sizeof(drawn[i]));
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    return std::memcmp(drawn[0], drawn[1], sizeof(drawn[0])) == 0;
}

// `text` in UTF-8, as the build reads fit.exe's lines (valid until the
// next call).
const char *Utf8(const wchar_t *text, int length = -1)
{
    static char utf8[1024];
    int made =
        WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof(utf8) - 1, nullptr, nullptr);
    utf8[made > 0 ? made : 0] = '\0';
    return utf8;
}

// Starts a line about the setting's text.
void Report(const char *setting)
{
    std::printf("%s %s %s %u %d: ", language.id, setting, language.where, GetACP(), dpi);
}

int Width_Fault(const char *setting, int width, int room, int part)
{
    int with_margin = width + (width + part - 1) / part;
    if (with_margin <= room)
        return 0;
    Report(setting);
    std::printf("%d of %d pixels, %d with its margin\n", width, room, with_margin);
    return 1;
}

// Whether the face that `dc` draws in has every letter of `text` (its
// `glyphs`), else says which it lacks.
int Letter_Fault(const char *setting, HDC dc, const wchar_t *text, const WORD *glyphs,
                 const wchar_t *face)
{
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    bool bitmap = !(metrics.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR));
    for (int i = 0; text[i] != L'\0'; i++) {
        if (glyphs[i] == 0xFFFF ||
            (bitmap && Drawn_As_Default(dc, text[i], metrics.tmDefaultChar))) {
            Report(setting);
            std::printf("\"%s\" (U+%04X) ", Utf8(&text[i], 1), (unsigned)text[i]);
            std::printf("is not in \"%s\"\n", Utf8(face));
            return 1;
        }
    }
    return 0;
}

// Measures `text` in `font` by its glyphs' own indices, so that neither a
// letter the face lacks nor one that Windows would take from another face
// counts as fitting; reports it when it does not fit `room` or cannot be
// measured.
int Text_Fault(const char *setting, HFONT font, const wchar_t *text, int room, int part)
{
    wchar_t shown[512];
    Shown_Text(text, shown, std::size(shown));
    int length = (int)std::wcslen(shown);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, font);
    LOGFONTW asked = {};
    GetObjectW(font, sizeof(asked), &asked);
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, (int)std::size(face), face);
    WORD glyphs[512];
    SIZE size = {};
    int fault = 1;
    if (lstrcmpiW(face, asked.lfFaceName) != 0) {
        Report(setting);
        std::printf("drawn in \"%s\", ", Utf8(face));
        std::printf("not in \"%s\"\n", Utf8(asked.lfFaceName));
    } else if (GetGlyphIndicesW(dc, shown, length, glyphs, GGI_MARK_NONEXISTING_GLYPHS) ==
               GDI_ERROR) {
        Report(setting);
        std::printf("\"%s\" gives no glyphs to measure\n", Utf8(face));
    } else if (!Letter_Fault(setting, dc, shown, glyphs, face)) {
        if (GetTextExtentPointI(dc, glyphs, length, &size)) {
            fault = Width_Fault(setting, size.cx, room, part);
        } else {
            Report(setting);
            std::printf("\"%s\" gives no widths to measure\n", Utf8(face));
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    return fault;
}

// The caption beside the window's icon and its close box, in Windows' own
// caption font.
int Caption_Fault(HWND window)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return Width_Fault("caption", 1, 0, caption_margin_part);
    HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, (int)std::size(text));
    RECT frame;
    GetWindowRect(window, &frame);
    int room = frame.right - frame.left - 2 * GetSystemMetrics(SM_CXFRAME) -
               GetSystemMetrics(SM_CXSMICON) - 2 * GetSystemMetrics(SM_CXSIZE);
    int fault = Text_Fault("caption", font, text, room, caption_margin_part);
    DeleteObject(font);
    return fault;
}

int Control_Fault(HWND window, int id, const char *setting)
{
    HWND control = GetDlgItem(window, id);
    if (!control)
        return Width_Fault(setting, 1, 0, margin_part);
    wchar_t text[512] = L"";
    GetWindowTextW(control, text, (int)std::size(text));
    RECT rect;
    GetClientRect(control, &rect);
    int room = rect.right - (id == ID_LINE ? 0 : button_margin);
    HFONT font = (HFONT)SendMessageW(control, WM_GETFONT, 0, 0);
    return Text_Fault(setting, font, text, room, margin_part);
}

// The launcher's font for the language on this Windows (frame.cpp): the
// template's, unless a control's text has a letter that this Windows' code
// page lacks. Sets `where`; 0 when the font cannot be made.
int Speak_Language(HWND window)
{
    language.where = language.code_page == GetACP() ? "home" : "shared";
    bool lacking = false;
    for (auto &control : controls) {
        if (!control.id)
            continue;
        wchar_t text[512] = L"";
        GetDlgItemTextW(window, control.id, text, (int)std::size(text));
        lacking = lacking || Lacks_Letters(text);
    }
    if (!lacking)
        return 1;
    language.where = "foreign";
    HFONT font = Foreign_Font((HFONT)SendDlgItemMessageW(window, ID_START, WM_GETFONT, 0, 0),
                              language.charset);
    for (auto &control : controls)
        if (control.id)
            SendDlgItemMessageW(window, control.id, WM_SETFONT, (WPARAM)font, FALSE);
    return font != nullptr;
}

int Dots_Per_Inch()
{
    HDC screen = GetDC(nullptr);
    int dots = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dots;
}

// Measures the language of `texts` in a window made from `program`'s
// template. 0 when all fit, 1 after a fault, 2 when it cannot measure.
int Measure_Language(HMODULE program, const char *texts)
{
    HWND window = CreateDialogParamA(program, "INSTALL", nullptr, nullptr, 0);
    if (!window) {
        std::fprintf(stderr, "no launcher window template (error %lu)\n", GetLastError());
        return 2;
    }
    int faults = 0;
    if (!Set_Texts(window, texts)) {
        std::fprintf(stderr, "%s: cannot be read, or names no code page\n", texts);
        faults = -1;
    } else if (!Speak_Language(window)) {
        std::fprintf(stderr, "%s: no font for a Windows of code page %u\n", texts, GetACP());
        faults = -1;
    } else {
        faults = Caption_Fault(window);
        for (auto &control : controls)
            if (control.id)
                faults += Control_Fault(window, control.id, control.setting);
    }
    DestroyWindow(window);
    return faults < 0 ? 2 : faults > 0 ? 1 : 0;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: fit.exe INSTALL_EXE CODE_PAGE DPI TEXTS...\n");
        return 2;
    }
    // The fonts' letters, and so the widths, follow the code page; their
    // sizes follow the dots per inch.
    dpi = Dots_Per_Inch();
    if (GetACP() != (UINT)std::atoi(argv[2]) || dpi != std::atoi(argv[3])) {
        std::fprintf(stderr, "measured under code page %u at %d dots per inch, not %s at %s\n",
                     GetACP(), dpi, argv[2], argv[3]);
        return 2;
    }
    HMODULE program = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!program) {
        std::fprintf(stderr, "%s: cannot be read (error %lu)\n", argv[1], GetLastError());
        return 2;
    }
    // The template names the launcher's private class: a plain dialog's here.
    WNDCLASSA dialog = {};
    dialog.style = CS_GLOBALCLASS;
    dialog.lpfnWndProc = DefDlgProcA;
    dialog.cbWndExtra = DLGWINDOWEXTRA;
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpszClassName = "Install";
    RegisterClassA(&dialog);
    int status = 0;
    for (int i = 4; i < argc; i++) {
        int measured = Measure_Language(program, argv[i]);
        status = measured > status ? measured : status;
    }
    return status;
}
