// Checks that an edition's texts fit the launcher window: builds the window
// from install.exe's own template, hidden, and measures each text in the
// font the dialog manager chose for it.
//     fit.exe INSTALL_EXE CODE_PAGE [TEXTS]
// TEXTS, a UTF-8 file of "setting=text" lines (edition.py --texts), gives
// another language's texts, which the launcher sets in the window as it
// starts: they are measured in place of the template's.
// Prints "SETTING: W of ROOM pixels" for each text that does not fit, and
// ends with 1 then; 0 when all fit, 2 when the template cannot be read or
// Windows' ANSI code page is not CODE_PAGE, the edition's: the fonts' glyphs,
// and so the widths, follow the code page.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace
{
// The controls of the template, by id, and the setting that names each text.
const struct {
    int id;
    const char *setting;
} controls[] = {
    {1, "start_button"},      {2, "cancel_button"},    {0xFFFF, "line"},
    {101, "continue_button"}, {102, "install_button"},
};

// Sets each text that `path` gives in the window; 0 when it cannot be read.
int Set_Texts(HWND window, const char *path)
{
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return 0;
    char line[1024];
    wchar_t text[1024];
    while (std::fgets(line, sizeof(line), file)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        char *value = std::strchr(line, '=');
        if (!value)
            continue;
        *value++ = '\0';
        MultiByteToWideChar(CP_UTF8, 0, value, -1, text, (int)std::size(text));
        if (std::strcmp(line, "caption") == 0)
            SetWindowTextW(window, text);
        for (auto &control : controls)
            if (std::strcmp(line, control.setting) == 0)
                SetDlgItemTextW(window, control.id, text);
    }
    std::fclose(file);
    return 1;
}

// A push button draws its text inside a 3D edge and its focus rectangle.
const int button_margin = 6;

// Width in pixels of `text` as `window` draws it (a "&" marks a letter).
int Text_Width(HWND window, HFONT font, const wchar_t *text)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    RECT rect = {0, 0, 0, 0};
    DrawTextW(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return rect.right - rect.left;
}

int Report(const char *setting, int width, int room)
{
    if (width <= room)
        return 0;
    std::printf("%s: %d of %d pixels\n", setting, width, room);
    return 1;
}

// The caption beside the window's icon and its close box.
int Caption_Fault(HWND window)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
        return Report("caption", 1, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfCaptionFont);
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, (int)std::size(text));
    RECT frame;
    GetWindowRect(window, &frame);
    int room = frame.right - frame.left - 2 * GetSystemMetrics(SM_CXFRAME) -
               GetSystemMetrics(SM_CXSMICON) - 2 * GetSystemMetrics(SM_CXSIZE);
    int fault = Report("caption", Text_Width(window, font, text), room);
    DeleteObject(font);
    return fault;
}

int Control_Fault(HWND window, int id, const char *setting)
{
    HWND control = GetDlgItem(window, id);
    if (!control)
        return Report(setting, 1, 0);
    wchar_t text[512] = L"";
    GetWindowTextW(control, text, (int)std::size(text));
    RECT rect;
    GetClientRect(control, &rect);
    int room = rect.right - (id == 0xFFFF ? 0 : button_margin);
    HFONT font = (HFONT)SendMessageW(control, WM_GETFONT, 0, 0);
    return Report(setting, Text_Width(control, font, text), room);
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: fit.exe INSTALL_EXE CODE_PAGE [TEXTS]\n");
        return 2;
    }
    if (GetACP() != (UINT)std::atoi(argv[2])) {
        std::fprintf(stderr, "measured under code page %u, not the edition's %s\n", GetACP(),
                     argv[2]);
        return 2;
    }
    HMODULE program = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    // The template names the launcher's private class: a plain dialog's here.
    WNDCLASSA dialog = {};
    dialog.style = CS_GLOBALCLASS;
    dialog.lpfnWndProc = DefDlgProcA;
    dialog.cbWndExtra = DLGWINDOWEXTRA;
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpszClassName = "Install";
    RegisterClassA(&dialog);
    HWND window = program ? CreateDialogParamA(program, "INSTALL", nullptr, nullptr, 0) : nullptr;
    if (!window) {
        std::fprintf(stderr, "%s: no launcher window template (error %lu)\n", argv[1],
                     GetLastError());
        return 2;
    }
    if (argc == 4 && !Set_Texts(window, argv[3])) {
        std::fprintf(stderr, "%s: cannot be read\n", argv[3]);
        return 2;
    }
    int faults = Caption_Fault(window);
    for (auto &control : controls)
        faults += Control_Fault(window, control.id, control.setting);
    DestroyWindow(window);
    return faults ? 1 : 0;
}
