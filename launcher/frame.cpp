#include "launcher/frame.h"
#include "base/guard.h"
#include "base/text.h"
#include "launcher/face.h"
#include "launcher/install.h"
#include "launcher/language.h"
#include "launcher/layout.h"
#include "launcher/launcher.h"
#include "launcher/play.h"

#include <iterator>

HWND hwnd;

namespace
{
const char class_name[] = "Install";
const char template_name[] = "Install";
// RT_DIALOG, whose ANSI form the headers give only by UNICODE.
const LPCSTR dialog_type = MAKEINTRESOURCEA(5);
// The edition's icon, as tools/edition/edition.py writes it.
const WORD icon_id = 1;

// Asked of the running launcher by a second one: which of its windows to
// bring to the front, or null for none. A message of this private class,
// answered in its waits and while it shows a warning too, so that a
// launcher in a flow says so at once.
const UINT WM_LAUNCHER_FRONT = WM_APP;
// How long the second launcher waits for that answer.
const UINT front_answer_ms = 2000;
// The class of every message box.
const char box_class[] = "#32770";
// Marks the launcher window of this edition, for a second start to find:
// the caption is the edition's, in its language, and need not be the
// product's name, while two editions' windows share the class. The value
// stands for the edition's lock name, whose property name would be too long
// for an atom.
const char edition_property[] = "Install.Edition";

// The buttons' ids in the dialog template (ids.h).
const WPARAM id_start = ID_START;
const WPARAM id_cancel = ID_CANCEL;
const WPARAM id_continue = ID_CONTINUE;
const WPARAM id_install = ID_INSTALL;

// Set while a flow runs. Its waits answer the messages that other programs
// send (children.h), and a command among them, a WM_COMMAND or a BM_CLICK
// sent to a button, must not start a second flow inside the first. One that
// is posted waits in the queue until the flow has ended (End_Flow).
int flow_running;
// A close request sent during a flow. Carried out once the flow has ended:
// closing at once would leave the flow to go on without its window, and a
// warning it then showed would vanish with the quit message.
int close_asked;

// Runs the command's flow; 0 when wParam is no command of the launcher. The
// whole wParam counts: a notification code in the high word makes it no
// command, and it goes to the default like any other id.
int Run_Command(HWND window, WPARAM command)
{
    switch (command) {
    case id_start:
        // The launcher ends after the game, or after its warnings.
        Play_Game(window);
        PostQuitMessage(0);
        return 1;
    case id_continue:
        // After a failure the user may try again or choose otherwise.
        if (Continue_Game(window))
            PostQuitMessage(0);
        return 1;
    case id_install:
        Install_Command(window);
        return 1;
    case id_cancel:
        PostQuitMessage(0);
        return 1;
    }
    return 0;
}

// Commands that other programs post rather than send when a window does not
// answer (automation and accessibility tools): a WM_COMMAND to the window,
// and a BM_CLICK to a button, which the button would turn into one.
const UINT posted_commands[] = {WM_COMMAND, BM_CLICK};

// Throws away the commands posted during a flow: the loop would otherwise
// run them once the flow has ended, where a sent one was ignored. Their
// messages only: a close request posted meanwhile is still carried out.
NO_BUFFER void Discard_Posted_Commands()
{
    MSG msg;

    for (UINT message : posted_commands) {
        while (PeekMessageA(&msg, nullptr, message, message, PM_REMOVE)) {
            // PeekMessage returns the quit message whatever the filter,
            // once no message of the filter is left: the loop needs it.
            if (msg.message == WM_QUIT) {
                PostQuitMessage((int)msg.wParam);
                break;
            }
        }
    }
}

void Begin_Flow()
{
    flow_running = 1;
    close_asked = 0;
}

NO_BUFFER void End_Flow(HWND window)
{
    // While the flow still counts as running: a command sent during the
    // discard is ignored too.
    Discard_Posted_Commands();
    flow_running = 0;
    if (close_asked)
        PostMessageA(window, WM_CLOSE, 0, 0);
}

// The warning that `window` owns while it shows one, else null. Every
// message box that the launcher window owns is one of its warnings.
HWND Shown_Warning(HWND window)
{
    HWND box = nullptr;

    while ((box = FindWindowExA(nullptr, box, box_class, nullptr)) != nullptr)
        if (GetWindow(box, GW_OWNER) == window && IsWindowVisible(box))
            return box;
    return nullptr;
}

// What a second launcher brings to the front: a warning, whatever flow
// shows it, for it may have opened behind other windows; else the window
// when it is shown and runs no flow. Null while a child runs or the record
// poll pauses, so that nothing comes up over the installer or the game.
HWND Window_To_Front(HWND window)
{
    HWND warning = Shown_Warning(window);
    if (warning)
        return warning;
    return !flow_running && IsWindowVisible(window) ? window : nullptr;
}

// The lock's name, hashed (FNV-1a); never 0, which GetPropA answers for a
// window without the property.
HANDLE Edition_Mark()
{
    DWORD hash = 2166136261u;
    for (const char *c = launcher_mutex; *c != '\0'; c++) {
        hash ^= (BYTE)*c;
        hash *= 16777619u;
    }
    return (HANDLE)(ULONG_PTR)(hash | 1);
}

// The window of this edition's running launcher, hidden too (as on the
// first run), or null.
HWND Running_Launcher()
{
    HWND window = nullptr;

    while ((window = FindWindowExA(nullptr, window, class_name, nullptr)) != nullptr)
        if (GetPropA(window, edition_property) == Edition_Mark())
            return window;
    return nullptr;
}

NO_BUFFER void Register_Class(HINSTANCE instance)
{
    WNDCLASSA wc;

    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    // The dialog manager keeps its data in a window of a private dialog
    // class.
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    // The edition's: the window's and its taskbar button's, 32 pixels, and
    // the caption's 16, which Windows takes from the same resource. A
    // build without it draws Windows' own.
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(icon_id));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = class_name;
    // A failure shows as a window that cannot be created.
    RegisterClassA(&wc);
}

// Sets the text of the launcher window or of one of its controls, given as
// Unicode.
void Set_Text(HWND target, HWND window, const WCHAR *wide)
{
    char ansi[MAX_PATH * 2];

    if (!Unicode_Windows()) {
        Wide_To_Ansi(wide, ansi, std::size(ansi));
        SendMessageA(target, WM_SETTEXT, 0, (LPARAM)ansi);
    } else if (target == window) {
        // The launcher window's procedure is an ANSI one, to which Windows
        // would pass the text through the ANSI code page: the default
        // procedure keeps it as it is.
        DefWindowProcW(target, WM_SETTEXT, 0, (LPARAM)wide);
    } else {
        SendMessageW(target, WM_SETTEXT, 0, (LPARAM)wide);
    }
}

// The window in the run's language, whatever Windows' ANSI code page: the
// template has the default's. The controls' texts are drawn in the dialog's
// font where it has every letter of them (at home, and for a language whose
// letters Windows' code page has too), else in a face that has (face.h);
// then the window makes room for each text as its font draws it here.
void Speak_Language(HWND window, const Language &speaking)
{
    WCHAR wide[MAX_PATH];
    const char *texts[control_text_count];
    Face face;

    for (auto &control : window_texts) {
        HWND target = control.id ? GetDlgItem(window, control.id) : window;
        Utf8_To_Wide(Text(control.text), wide, std::size(wide));
        Set_Text(target, window, wide);
    }
    // Choose_Language chose a language that this Windows can show.
    Control_Texts(speaking, texts);
    Choose_Face(speaking, template_face, texts, control_text_count, face);
    // Kept for the window's life, which is the process's.
    HFONT font =
        face.name[0] == '\0'
            ? nullptr
            : Face_Font((HFONT)SendMessageA(GetDlgItem(window, id_start), WM_GETFONT, 0, 0), face);
    if (font)
        for (auto &control : window_texts)
            if (control.id)
                SendMessageA(GetDlgItem(window, control.id), WM_SETFONT, (WPARAM)font, FALSE);
    Fit_Window(window);
}

// The window's template, copied to be mirrored: install.exe, and so its
// template, is at most 64 KiB. Zeroed memory the file does not hold.
BYTE mirrored_template[0x10000];

// The launcher window, hidden, from its template: mirrored for a language
// read right to left where Windows mirrors windows. The style must be in
// the template, for a dialog's controls take their layout from it when
// they are made: set after, it would mirror the frame alone.
HWND Create_Window(HINSTANCE instance)
{
    if (Right_To_Left(*language) && Can_Mirror()) {
        HRSRC found = FindResourceA(instance, template_name, dialog_type);
        DWORD size = found ? SizeofResource(instance, found) : 0;
        HGLOBAL loaded = size ? LoadResource(instance, found) : nullptr;
        const BYTE *data = loaded ? (const BYTE *)LockResource(loaded) : nullptr;
        if (data && size >= sizeof(DLGTEMPLATE) + 8 && size <= sizeof(mirrored_template)) {
            for (DWORD i = 0; i < size; i++)
                mirrored_template[i] = data[i];
            // DLGTEMPLATE has the extended style after the style; DLGTEMPLATEEX
            // (version 1, signature 0xFFFF) after its help id.
            const WORD *words = (const WORD *)mirrored_template;
            int extended = words[0] == 1 && words[1] == 0xFFFF ? 8 : 4;
            *(DWORD *)(mirrored_template + extended) |= WS_EX_LAYOUTRTL;
            return CreateDialogIndirectParamA(instance, (LPCDLGTEMPLATEA)mirrored_template, nullptr,
                                              nullptr, 0);
        }
    }
    return CreateDialogParamA(instance, template_name, nullptr, nullptr, 0);
}
} // namespace

NO_BUFFER void Create_Launcher_Window(HINSTANCE instance, HINSTANCE previous)
{
    if (!previous)
        Register_Class(instance);
    // The template has no WS_VISIBLE: the window stays hidden until shown.
    hwnd = Create_Window(instance);
    if (!hwnd)
        return;
    SetPropA(hwnd, edition_property, Edition_Mark());
    Speak_Language(hwnd, *language);
}

NO_BUFFER void Raise_Running_Launcher()
{
    DWORD_PTR answer = 0;

    HWND running = Running_Launcher();
    if (!running || !SendMessageTimeoutA(running, WM_LAUNCHER_FRONT, 0, 0, SMTO_ABORTIFHUNG,
                                         front_answer_ms, &answer))
        return;
    // The answer comes from another process: only the launcher window or a
    // window that it owns is brought forward.
    HWND front = (HWND)answer;
    if (!front || (front != running && GetWindow(front, GW_OWNER) != running))
        return;
    if (IsIconic(front))
        ShowWindow(front, SW_RESTORE);
    // Windows lets the process that the user started last take the
    // foreground, not the running launcher: so this one sets it.
    SetForegroundWindow(front);
}

void First_Run_Flow(HWND window)
{
    Begin_Flow();
    First_Run(window);
    End_Flow(window);
}

NO_BUFFER int Message_Loop()
{
    MSG msg = {};
    BOOL got;

    // No IsDialogMessage: Tab, Enter and Esc get no dialog handling. GetMessage
    // returns -1 on an error, which must end the loop rather than spin in it.
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // After an error msg still holds the last message dispatched, whose
    // wParam may be a button's id: the exit code is 0 on that road too.
    return got == 0 ? (int)msg.wParam : 0;
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        // A window's properties go before it does.
        RemovePropA(window, edition_property);
        PostQuitMessage(0);
        return 0;
    case WM_LAUNCHER_FRONT:
        return (LRESULT)Window_To_Front(window);
    case WM_CLOSE:
        if (flow_running) {
            close_asked = 1;
            return 0;
        }
        break;
    case WM_COMMAND: {
        if (flow_running)
            return 0;
        Begin_Flow();
        int handled = Run_Command(window, wParam);
        End_Flow(window);
        if (handled)
            return 0;
        break;
    }
    }
    // The plain window default, not the dialog default: the close box
    // destroys the window, and its WM_DESTROY ends the loop.
    return DefWindowProcA(window, message, wParam, lParam);
}
