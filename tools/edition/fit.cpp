// Previews how the launcher window fits an edition's texts on one Windows:
// builds the window from install.exe's own template, hidden, gives it each
// language's texts and face as the launcher does on this Windows, lets it
// make room for them as the launcher does (launcher/layout.h), and says by
// how much it grew.
//     fit.exe INSTALL_EXE CODE_PAGE DPI TEXTS...
// CODE_PAGE and DPI are what this Windows must have: its ANSI code page and
// the dots per inch it draws at. Each TEXTS, a UTF-8 file of "setting=text"
// lines (edition.py --texts), gives a language: its "id", "code_page",
// "charset", "font_name" and "font_size", and its window's texts.
// Prints a line for each language, "ID CODE_PAGE DPI: what": how many
// pixels wider and taller its window grew, and the face its controls are
// drawn in; or that no face here can draw it:
//     0408 1252 96: grows 14 0 Tahoma
//     0408 1252 96: no face
// Ends with 0 when it measured all, 2 when it cannot measure as asked: the
// template or a TEXTS cannot be read, or this Windows' code page or dots per
// inch are not those asked for.
#include "base/ids.h"
#include "launcher/face.h"
#include "launcher/layout.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace
{
// The controls of the template, by id, and the setting that names each text
// (base/ids.h), the window itself (its caption) first.
#define WINDOW_TEXT(id, setting) {id, #setting},
const struct {
    int id;
    const char *setting;
} controls[] = {LAUNCHER_WINDOW(WINDOW_TEXT)};
#undef WINDOW_TEXT
const int control_count = std::size(controls);

// The language being measured, as its TEXTS gives it.
struct Measured {
    char id[8];
    char face[FACE_BUFFER];
    Language language;
    char texts[control_count][1024];
};
Measured measured;

int Starts_With(const char *line, const char *name)
{
    size_t length = std::strlen(name);
    return std::strncmp(line, name, length) == 0 && line[length] == '=';
}

// Reads the language of `path` and sets its texts in the window; 0 when it
// cannot be read or names no code page.
int Set_Texts(HWND window, const char *path)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return 0;
    char line[1024];
    wchar_t text[1024];
    measured = {};
    measured.language.face = measured.face;
    while (std::fgets(line, sizeof(line), file)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char *value = std::strchr(line, '=');
        if (!value)
            continue;
        if (Starts_With(line, "id"))
            std::snprintf(measured.id, sizeof(measured.id), "%s", value + 1);
        if (Starts_With(line, "code_page"))
            measured.language.code_page = (WORD)std::atoi(value + 1);
        if (Starts_With(line, "charset"))
            measured.language.charset = (BYTE)std::atoi(value + 1);
        if (Starts_With(line, "font_name"))
            std::snprintf(measured.face, sizeof(measured.face), "%s", value + 1);
        if (Starts_With(line, "font_size"))
            measured.language.points = (BYTE)std::atoi(value + 1);
        *value++ = '\0';
        MultiByteToWideChar(CP_UTF8, 0, value, -1, text, (int)std::size(text));
        for (int i = 0; i < control_count; i++) {
            if (std::strcmp(line, controls[i].setting) != 0)
                continue;
            std::snprintf(measured.texts[i], sizeof(measured.texts[i]), "%s", value);
            if (controls[i].id)
                SetDlgItemTextW(window, controls[i].id, text);
            else
                SetWindowTextW(window, text);
        }
    }
    std::fclose(file);
    return measured.language.code_page != 0;
}

// Gives the window the language's face as the launcher does, fits it, and
// prints how it grew. 0 when it cannot measure.
int Preview(HWND window, const char *template_face, int dpi)
{
    const char *texts[control_count - 1];
    for (int i = 1; i < control_count; i++)
        texts[i - 1] = measured.texts[i];
    std::printf("%s %u %d: ", measured.id, GetACP(), dpi);
    Face face;
    if (!Choose_Face(measured.language, template_face, texts, control_count - 1, face)) {
        std::printf("no face\n");
        return 1;
    }
    HFONT dialog_font = (HFONT)SendDlgItemMessageW(window, ID_START, WM_GETFONT, 0, 0);
    if (face.name[0] != '\0') {
        HFONT font = Face_Font(dialog_font, face);
        if (!font)
            return 0;
        for (int i = 1; i < control_count; i++)
            SendDlgItemMessageW(window, controls[i].id, WM_SETFONT, (WPARAM)font, FALSE);
    }
    RECT before, after;
    GetWindowRect(window, &before);
    Fit_Window(window);
    GetWindowRect(window, &after);
    int wider = (after.right - after.left) - (before.right - before.left);
    int taller = (after.bottom - after.top) - (before.bottom - before.top);
    std::printf("grows %d %d %s\n", wider, taller, face.name[0] ? face.name : template_face);
    return 1;
}

int Dots_Per_Inch()
{
    HDC screen = GetDC(nullptr);
    int dots = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dots;
}

// Previews the language of `texts` in a window made from `program`'s
// template. 0 when it measured, 2 when it cannot.
int Measure_Language(HMODULE program, const char *texts, int dpi)
{
    HWND window = CreateDialogParamA(program, "INSTALL", nullptr, nullptr, 0);
    if (!window) {
        std::fprintf(stderr, "no launcher window template (error %lu)\n", GetLastError());
        return 2;
    }
    LOGFONTA dialog = {};
    GetObjectA((HFONT)SendDlgItemMessageW(window, ID_START, WM_GETFONT, 0, 0), sizeof(dialog),
               &dialog);
    int status = 0;
    if (!Set_Texts(window, texts)) {
        std::fprintf(stderr, "%s: cannot be read, or names no code page\n", texts);
        status = 2;
    } else if (!Preview(window, dialog.lfFaceName, dpi)) {
        std::fprintf(stderr, "%s: no font for a Windows of code page %u\n", texts, GetACP());
        status = 2;
    }
    DestroyWindow(window);
    return status;
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
    int dpi = Dots_Per_Inch();
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
        int each = Measure_Language(program, argv[i], dpi);
        status = each > status ? each : status;
    }
    std::fflush(stdout);
    return status;
}
