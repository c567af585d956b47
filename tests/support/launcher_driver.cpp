#include "support/launcher_driver.h"
#include "support/child_log.h"
#include "support/message_watch.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace
{
const char cd_launcher[] = "E:\\install.exe";

// A hidden dialog with the launcher's font, built in this process: dialog
// units map to pixels only in the dialog's own process.
HWND Create_Font_Dialog()
{
    alignas(4) WORD tmpl[64] = {};
    DLGTEMPLATE *header = (DLGTEMPLATE *)tmpl;
    header->style = WS_POPUP | DS_SETFONT;
    WORD *at = (WORD *)(header + 1);
    at += 3;   // no menu, the default class, no caption
    *at++ = 8; // point size
    for (const char *face = "MS Sans Serif"; *face; face++)
        *at++ = *face;
    HWND dialog =
        CreateDialogIndirectParamA(GetModuleHandleA(nullptr), header, nullptr, nullptr, 0);
    EXPECT_TRUE(dialog);
    return dialog;
}

// The font of `font` in this process: the dialog font of a dialog made here
// (kept with it), or `font.face` at that font's height. Null on failure.
HFONT Make_Control_Font(HWND dialog, ControlFont font)
{
    HFONT dialog_font = (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0);
    if (!font.face)
        return dialog_font;
    LOGFONTA made = {};
    if (!GetObjectA(dialog_font, sizeof(made), &made))
        return nullptr;
    made.lfCharSet = font.charset;
    lstrcpynA(made.lfFaceName, font.face, LF_FACESIZE);
    return CreateFontIndirectA(&made);
}

// The extent of the columns (or, `rows` set, of the rows) of the `width` by
// `height` pixels (0xRRGGBB, top row first) that hold a dark one: text
// drawn dark on a light ground.
int Ink_Extent(const std::vector<DWORD> &pixels, int width, int height, bool rows = false)
{
    int first = rows ? height : width, last = -1;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            DWORD pixel = pixels[y * width + x];
            int light = (pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF);
            int at = rows ? y : x;
            if (light < 3 * 128) {
                first = at < first ? at : first;
                last = at > last ? at : last;
            }
        }
    return last < first ? 0 : last - first + 1;
}

RECT Map_Dialog_Rect(RECT rect)
{
    HWND dialog = Create_Font_Dialog();
    MapDialogRect(dialog, &rect);
    DestroyWindow(dialog);
    return rect;
}
} // namespace

RECT DialogPixels(int x, int y, int width, int height, const Caller &)
{
    // The dialog manager converts the position and the size each on its
    // own, so their rounding adds up.
    RECT place = Map_Dialog_Rect(RECT{x, y, width, height});
    return RECT{place.left, place.top, place.left + place.right, place.top + place.bottom};
}

DialogFont MeasureDialogFont(const std::string &text, const Caller &)
{
    DialogFont font{"", {}, -1};
    HWND dialog = Create_Font_Dialog();
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    font.base = SIZE{units.right, units.bottom};
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0));
    char face[LF_FACESIZE] = "";
    GetTextFaceA(dc, (int)std::size(face), face);
    font.face = face;
    SIZE extent;
    std::wstring wide = Wide(text);
    if (GetTextExtentPoint32W(dc, wide.c_str(), (int)wide.size(), &extent))
        font.text_width = extent.cx;
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    DestroyWindow(dialog);
    return font;
}

int TextWidth(const std::string &text, ControlFont font, const Caller &)
{
    HWND dialog = Create_Font_Dialog();
    HFONT made = Make_Control_Font(dialog, font);
    EXPECT_TRUE(made) << (font.face ? font.face : "the dialog font");
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, made);
    std::wstring wide = Wide(text);
    SIZE extent = {-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32W(dc, wide.c_str(), (int)wide.size(), &extent));
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    if (font.face)
        DeleteObject(made);
    DestroyWindow(dialog);
    return extent.cx;
}

namespace
{
int Text_Ink(const std::string &text, ControlFont font, bool rows)
{
    const int width = 1024, height = 64;
    HWND dialog = Create_Font_Dialog();
    HFONT made = Make_Control_Font(dialog, font);
    std::wstring wide = Wide(text);
    std::vector<DWORD> pixels = Pixels(width, height, [&](HDC dc) {
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
        HGDIOBJ old = SelectObject(dc, made);
        DrawTextW(dc, wide.c_str(), (int)wide.size(), &all, DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
    });
    if (font.face)
        DeleteObject(made);
    DestroyWindow(dialog);
    return Ink_Extent(pixels, width, height, rows);
}

int Control_Ink(HWND control, bool rows)
{
    RECT place;
    GetWindowRect(control, &place);
    int width = place.right - place.left, height = place.bottom - place.top;
    std::vector<DWORD> pixels = Pixels(width, height, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, width, height, screen, place.left, place.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
    return Ink_Extent(pixels, width, height, rows);
}
} // namespace

int InkWidth(const std::string &text, ControlFont font, const Caller &)
{
    return Text_Ink(text, font, false);
}

int InkWidth(HWND control, const Caller &)
{
    return Control_Ink(control, false);
}

int InkHeight(const std::string &text, ControlFont font, const Caller &)
{
    return Text_Ink(text, font, true);
}

int InkHeight(HWND control, const Caller &)
{
    return Control_Ink(control, true);
}

std::vector<Control> ReadControls(HWND window)
{
    std::vector<Control> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        Control control{ClassOf(child),
                        GetDlgCtrlID(child),
                        TextOf(child),
                        UnicodeTextOf(child),
                        (DWORD)GetWindowLongA(child, GWL_STYLE),
                        {}};
        GetWindowRect(child, &control.rect);
        MapWindowPoints(nullptr, window, (POINT *)&control.rect, 2);
        controls.push_back(control);
    }
    return controls;
}

namespace
{
// Wine writes what it traces of a process to its standard error, which the
// launcher shares with the test; tools/wine-run.sh keeps a copy of it here.
const char standard_error[] = "C:\\stderr.log";

std::string Read_From(const char *path, DWORD offset)
{
    std::string text;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return text;
    char buffer[65536];
    DWORD got;
    SetFilePointer(file, (LONG)offset, nullptr, FILE_BEGIN);
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}
} // namespace

RegistryTrace::RegistryTrace()
{
    start_ = (DWORD)Read_From(standard_error, 0).size();
    GetEnvironmentVariableA("WINEDEBUG", debug_, sizeof(debug_));
    // The launchers started meanwhile inherit it, and their children.
    SetEnvironmentVariableA("WINEDEBUG", "-all,trace+reg");
}

RegistryTrace::~RegistryTrace()
{
    SetEnvironmentVariableA("WINEDEBUG", debug_[0] ? debug_ : nullptr);
}

int RegistryTrace::Opens(DWORD thread, const char *path) const
{
    // "0120:trace:reg:NtOpenKeyEx (0x30,L"Software\\Halvaro\\...",1,...)":
    // the thread, then the key's name with its backslashes escaped, below
    // the handle of HKEY_CURRENT_USER.
    char thread_field[16];
    wsprintfA(thread_field, "%04lx:", thread);
    std::string name = "L\"";
    for (const char *at = path; *at; at++)
        name += *at == '\\' ? std::string("\\\\") : std::string(1, *at);
    name += "\"";
    auto count = [&] {
        std::string text = Read_From(standard_error, start_);
        int opens = 0;
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = text.substr(start, end - start);
            if (line.rfind(thread_field, 0) == 0 &&
                line.find(":trace:reg:NtOpenKeyEx (") != std::string::npos &&
                line.find(name) != std::string::npos)
                opens++;
        }
        return opens;
    };
    // The copy may trail the launcher's end by a moment: read until it
    // stays as it is.
    int opens = count();
    for (int before = -1; opens != before;) {
        Sleep(200);
        before = opens;
        opens = count();
    }
    return opens;
}

LauncherRun::LauncherRun(const char *program, const char *folder, int show, const Caller &)
{
    bool in_place = program && program[0] && (program[1] == ':' || program[1] == '\\');
    if (program && !in_place) {
        std::string built = ProgramFolder() + program;
        EXPECT_TRUE(CopyFileA(built.c_str(), cd_launcher, FALSE)) << built;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (WORD)show;
    std::wstring command = Wide(in_place ? std::string("\"") + program + "\"" : cd_launcher);
    EXPECT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               Wide(folder).c_str(), &startup, &info_))
        << folder << ": error " << GetLastError();
}

LauncherRun::~LauncherRun()
{
    if (!info_.hProcess)
        return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

HWND LauncherRun::Find_Window(bool visible)
{
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "Install", nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == info_.dwProcessId && (!visible || IsWindowVisible(window)))
            break;
    }
    if (window && IsWindowVisible(window))
        window_seen_ = true;
    return window;
}

HWND LauncherRun::VisibleWindow(int timeout_ms)
{
    HWND window = nullptr;
    Poll(timeout_ms, [&] { return (window = Find_Window(true)) != nullptr; });
    return window;
}

DWORD LauncherRun::ExitCode(int timeout_ms)
{
    DWORD code = still_running;
    Poll(timeout_ms, [&] {
        Find_Window(true);
        return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
    });
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0)
        GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

long long LauncherRun::ExitedMs() const
{
    FILETIME created, exited, kernel, user;
    if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0 ||
        !GetProcessTimes(info_.hProcess, &created, &exited, &kernel, &user))
        return -1;
    return FileTimeMs(exited);
}

void ExpectSecondStartEndsAtOnce(const Caller &)
{
    LauncherRun again(nullptr);
    EXPECT_EQ(0u, again.ExitCode(5000)) << "the second launcher";
    EXPECT_FALSE(again.WindowSeen()) << "the second launcher showed a window";
}

void ExpectSecondStartBringsForward(HWND window, const Caller &)
{
    HWND other = CreateOwnerWindow();
    ShowWindow(other, SW_SHOWNORMAL);
    SetForegroundWindow(other);
    EXPECT_NE(window, GetForegroundWindow()) << "already in front";
    ExpectSecondStartEndsAtOnce();
    // The window that is brought forward activates itself in its own thread:
    // on a busy machine the foreground is still nobody's a moment after the
    // second launcher has ended.
    Poll(2000, [&] { return GetForegroundWindow() == window; });
    EXPECT_EQ(window, GetForegroundWindow()) << "not brought to the front";
    DestroyWindow(other);
}

void ExpectSecondStartRaises(MessageWatch &watch, const Caller &)
{
    HWND warning = watch.First(10000);
    ASSERT_TRUE(warning) << "no warning to bring to the front";
    ExpectSecondStartBringsForward(warning);
    watch.Release();
}

std::vector<SeenBox> LauncherRun::Press(HWND window, int id, size_t warnings, bool again,
                                        const Caller &)
{
    const int timeout_ms = 20000;
    MessageWatch watch(info_.dwProcessId, again);
    PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
    if (again)
        ExpectSecondStartRaises(watch);
    // The owner is enabled again once the last box's modal loop has ended.
    bool done = Poll(timeout_ms, [&] {
        return ExitCode(0) != still_running ||
               (watch.Answered() >= warnings && IsWindowEnabled(window));
    });
    EXPECT_TRUE(done) << "button " << id << ": neither ended nor showed " << warnings
                      << " warnings";
    // With no warning to wait for, make sure the click has been handled.
    if (done && ExitCode(0) == still_running)
        Settle(window, timeout_ms);
    return watch.Stop();
}

void LauncherRun::Settle(HWND window, int timeout_ms, const Caller &)
{
    auto ended = [&] { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; };
    // The thread takes posted messages in order. WM_SETREDRAW clears and
    // sets the window's WS_VISIBLE without touching focus or activation.
    PostMessageA(window, WM_SETREDRAW, FALSE, 0);
    bool hidden = Poll(timeout_ms, [&] { return ended() || !IsWindowVisible(window); });
    PostMessageA(window, WM_SETREDRAW, TRUE, 0);
    bool shown = Poll(timeout_ms, [&] { return ended() || IsWindowVisible(window); });
    EXPECT_TRUE(hidden && shown) << "the launcher does not respond";
}

HWND LauncherRun::Focus() const
{
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(info_.dwThreadId, &gui);
    return gui.hwndFocus;
}

void LauncherRun::PressKey(HWND window, UINT key, HWND to)
{
    HWND target = to ? to : Focus() ? Focus() : window;
    UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
}
