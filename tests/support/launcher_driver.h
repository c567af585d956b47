// Drives install.exe from outside, as a user would: copied to the CD-like
// drive E:, started from a folder there, its window found by its class and
// worked through posted messages.
#pragma once

#include "support/caller.h"
#include "support/message_watch.h"

#include <windows.h>

#include <string>
#include <vector>

// A control of the launcher window, as another process sees it.
struct Control {
    std::string cls;
    int id;
    std::string text;
    std::string unicode_text; // read as Unicode, in UTF-8
    DWORD style;
    RECT rect; // in pixels, relative to the window's client area
};

// Exit code reported by LauncherRun::ExitCode when the launcher did not end.
const DWORD still_running = 0xFFFFFFFF;

// Wine's trace of the registry calls ("trace+reg" in WINEDEBUG) of each
// launcher started while one of these lives: how often a launcher looked
// for a key, counted where timing could not tell.
class RegistryTrace
{
  public:
    RegistryTrace();
    ~RegistryTrace();
    // The times the thread `thread` opened the key `path` below
    // HKEY_CURRENT_USER since this trace began.
    int Opens(DWORD thread, const char *path) const;

  private:
    DWORD start_;     // where the trace begins in the copy of standard error
    char debug_[256]; // WINEDEBUG before
};

class LauncherRun
{
  public:
    // Copies bin\<program> to E:\install.exe and starts it there with
    // `folder` current and `show` as its show command. A null `program`
    // starts the E:\install.exe in place, as a second start from the CD; a
    // `program` with a drive ("E:\OTHER\install.exe") or on a share
    // ("\\vexmoor\cd\install.exe") starts that in place. Paths in UTF-8.
    explicit LauncherRun(const char *program = "install.exe", const char *folder = "E:\\",
                         int show = SW_SHOWNORMAL, const Caller & = {});
    // Ends the launcher if it still runs.
    ~LauncherRun();
    DWORD Pid() const
    {
        return info_.dwProcessId;
    }
    // The launcher window once it is visible, or null after `timeout_ms`.
    HWND VisibleWindow(int timeout_ms = 10000);
    // Waits up to `timeout_ms` for the launcher to end and returns its exit
    // code, or still_running.
    DWORD ExitCode(int timeout_ms = 10000);
    // When the launcher ended, in ms of system time as NowMs gives it; -1
    // while it runs.
    long long ExitedMs() const;
    // The launcher's first thread, which runs all it does.
    DWORD Thread() const
    {
        return info_.dwThreadId;
    }
    // Whether a launcher window was ever seen visible.
    bool WindowSeen() const
    {
        return window_seen_;
    }
    // Returns once the launcher has handled every message posted to it so
    // far, or has ended.
    void Settle(HWND window, int timeout_ms = 5000, const Caller & = {});
    // Clicks the button `id` and waits until the launcher has ended, or has
    // shown `warnings` warnings (each answered with OK) and is back in its
    // message loop. With `again`, the launcher is started a second time
    // while the first warning shows (ExpectSecondStartRaises). Returns what
    // the warnings said.
    std::vector<SeenBox> Press(HWND window, int id, size_t warnings, bool again = false,
                               const Caller & = {});
    // Posts the keystroke of `key` to the control `to`, or to the one that
    // has the focus.
    void PressKey(HWND window, UINT key, HWND to = nullptr);

  private:
    HWND Find_Window(bool visible);
    // The launcher's window that has the keyboard focus.
    HWND Focus() const;
    PROCESS_INFORMATION info_ = {};
    bool window_seen_ = false;
};

// Starts E:\install.exe a second time while a launcher runs, and checks that
// it ends with 0 within 5 s without showing a window of its own.
void ExpectSecondStartEndsAtOnce(const Caller & = {});

// Puts a window of this process in front of the running launcher's
// `window`, starts E:\install.exe again, and checks that the second start
// ends with 0 within 5 s and brings `window` to the front.
void ExpectSecondStartBringsForward(HWND window, const Caller & = {});
// The same for the warning of the running launcher that `watch` holds open;
// then lets the watch answer it.
void ExpectSecondStartRaises(MessageWatch &watch, const Caller & = {});

// The controls of `window`, in their order (the template's).
std::vector<Control> ReadControls(HWND window);
// A rectangle in dialog units, in pixels for the launcher's dialog font.
RECT DialogPixels(int x, int y, int width, int height, const Caller & = {});

// The launcher's dialog font, 8 point "MS Sans Serif", as this prefix
// resolves it.
struct DialogFont {
    std::string face; // the face GDI chose
    SIZE base;        // pixels for 4 horizontal and 8 vertical dialog units
    int text_width;   // the measured text's width in pixels; -1 unmeasured
};
// Measures `text`, given in UTF-8.
DialogFont MeasureDialogFont(const std::string &text, const Caller & = {});

// The pixels of a `width` by `height` bitmap that `draw` paints, top row
// first, as 0xRRGGBB.
template <typename Draw> std::vector<DWORD> Pixels(int width, int height, Draw draw)
{
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    draw(memory);
    GdiFlush();
    std::vector<DWORD> pixels((DWORD *)bits, (DWORD *)bits + width * height);
    for (DWORD &pixel : pixels)
        pixel &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// The face the launcher's controls draw their texts in: the dialog font
// (`face` null), or `face` at its height in the character set `charset`.
struct ControlFont {
    const char *face;
    BYTE charset;
};
// The width in pixels of `text` (UTF-8) in that font.
int TextWidth(const std::string &text, ControlFont font, const Caller & = {});
// How wide the ink of `text` (UTF-8) is, drawn by this process in that font
// on one line: from its first column with a dark pixel to its last.
int InkWidth(const std::string &text, ControlFont font, const Caller & = {});
// The same of what the screen shows of `control` now.
int InkWidth(HWND control, const Caller & = {});
// How tall the ink is, from its top row with a dark pixel to its bottom
// one (marks above and below the letters included), of the text drawn so,
// and of what the screen shows of the control.
int InkHeight(const std::string &text, ControlFont font, const Caller & = {});
int InkHeight(HWND control, const Caller & = {});
