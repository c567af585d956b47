#include "launcher/layout.h"
#include "base/guard.h"
#include "base/ids.h"
#include "base/text.h"

#include <iterator>

namespace
{
// The buttons, left to right, alike in the template.
const int buttons[] = {ID_START, ID_CONTINUE, ID_INSTALL, ID_CANCEL};
const int button_count = std::size(buttons);

int Larger(int a, int b)
{
    return a > b ? a : b;
}

// The room `control`'s text takes in its font, drawn with `flags` within
// `width` pixels (for a text on several lines): the W form on Windows NT,
// where the text is Unicode; the A form on 95 to ME, which draw in their
// code page.
SIZE Text_Size(HWND control, UINT flags, int width)
{
    RECT rect = {0, 0, width, 0};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessageA(control, WM_GETFONT, 0, 0));

    // As the control draws it: tabs expanded, "&&" as one "&".
    flags |= DT_CALCRECT | DT_EXPANDTABS;
    if (Unicode_Windows()) {
        WCHAR text[MAX_PATH];
        GetWindowTextW(control, text, std::size(text));
        DrawTextW(dc, text, -1, &rect, flags);
    } else {
        char text[MAX_PATH * 2];
        GetWindowTextA(control, text, std::size(text));
        DrawTextA(dc, text, -1, &rect, flags);
    }
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {rect.right, rect.bottom};
}

// Where `control` is in `window`'s client area.
RECT Place(HWND window, HWND control)
{
    RECT place;

    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, window, (POINT *)&place, 2);
    return place;
}
} // namespace

// A frame of its own: inlined into its one caller, whose text buffer puts
// every local far from the frame's base, it would take some 100 bytes more.
NO_BUFFER __attribute__((noinline)) void Fit_Window(HWND window)
{
    RECT client, frame, work;

    GetClientRect(window, &client);
    GetWindowRect(window, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int border_x = frame.right - frame.left - client.right;
    int border_y = frame.bottom - frame.top - client.bottom;
    int widest = work.right - work.left - border_x;

    // The buttons, alike in the template and on one row: each as much wider
    // as the widest text needs, and each moved right by what those before
    // it grew. A push button draws its text inside its 3D edge and its
    // focus rectangle, with a pixel of air.
    RECT button = Place(window, GetDlgItem(window, ID_START));
    int need_x = 0, need_y = 0;
    for (int id : buttons) {
        SIZE text = Text_Size(GetDlgItem(window, id), DT_SINGLELINE, 0);
        need_x = Larger(need_x, text.cx + 2 * (GetSystemMetrics(SM_CXEDGE) + 3));
        need_y = Larger(need_y, text.cy + 2 * (GetSystemMetrics(SM_CYEDGE) + 1));
    }
    int wider = Larger(0, need_x - (button.right - button.left));
    int taller = Larger(0, need_y - (button.bottom - button.top));
    int width = client.right + button_count * wider;

    // The line: wider within the window (as far from its right edge as from
    // its left), else on more lines there, the window within the work area.
    HWND line = GetDlgItem(window, ID_LINE);
    RECT at = Place(window, line);
    int line_x = at.right - at.left, line_y = at.bottom - at.top;
    SIZE text = Text_Size(line, DT_SINGLELINE, 0);
    int fit_x = line_x, fit_y = Larger(line_y, text.cy);
    if (text.cx > line_x) {
        int within = Larger(line_x, (width < widest ? width : widest) - 2 * at.left);
        fit_x = text.cx;
        if (fit_x > within) {
            fit_x = within;
            fit_y = Larger(fit_y, Text_Size(line, DT_WORDBREAK, within).cy);
        }
        width = Larger(width, fit_x + 2 * at.left);
    }
    int grow_y = fit_y - line_y;
    if (fit_x == line_x && grow_y == 0 && wider == 0 && taller == 0)
        return;

    MoveWindow(line, at.left, at.top, fit_x, fit_y, FALSE);
    for (int i = 0; i < button_count; i++) {
        HWND control = GetDlgItem(window, buttons[i]);
        RECT place = Place(window, control);
        MoveWindow(control, place.left + i * wider, place.top + grow_y,
                   place.right - place.left + wider, place.bottom - place.top + taller, FALSE);
    }
    // Within the work area: moved back from its right and bottom edges.
    int outer_x = width + border_x, outer_y = client.bottom + grow_y + taller + border_y;
    int left = frame.left, top = frame.top;
    if (left + outer_x > work.right)
        left = Larger(work.left, work.right - outer_x);
    if (top + outer_y > work.bottom)
        top = Larger(work.top, work.bottom - outer_y);
    SetWindowPos(window, nullptr, left, top, outer_x, outer_y, SWP_NOZORDER | SWP_NOACTIVATE);
}
