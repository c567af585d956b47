#include "launcher/frame.h"
#include "launcher/install.h"
#include "launcher/play.h"

HWND hwnd;

namespace
{
const char class_name[] = "Install";
const char template_name[] = "Install";

// The buttons' ids in the dialog template.
const WPARAM id_start = 1;
const WPARAM id_cancel = 2;
const WPARAM id_continue = 101;
const WPARAM id_install = 102;

void Register_Class(HINSTANCE instance)
{
    WNDCLASSA wc;

    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    // The dialog manager keeps its data in a window of a private dialog
    // class.
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = class_name;
    // A failure shows as a window that cannot be created.
    RegisterClassA(&wc);
}
} // namespace

void Create_Launcher_Window(HINSTANCE instance, HINSTANCE previous)
{
    if (!previous)
        Register_Class(instance);
    // The template has no WS_VISIBLE: the window stays hidden until shown.
    hwnd = CreateDialogParamA(instance, template_name, nullptr, nullptr, 0);
}

int Message_Loop()
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
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        // The whole wParam: a notification code in the high word makes it
        // no command, and it goes to the default like any other id.
        switch (wParam) {
        case id_start:
            // The launcher ends after the game, or after its warnings.
            Play_Game(window);
            PostQuitMessage(0);
            return 0;
        case id_continue:
            // After a failure the user may try again or choose otherwise.
            if (Continue_Game(window))
                PostQuitMessage(0);
            return 0;
        case id_install:
            Install_Command(window);
            return 0;
        case id_cancel:
            PostQuitMessage(0);
            return 0;
        }
        break;
    }
    // The plain window default, not the dialog default: the close box
    // destroys the window, and its WM_DESTROY ends the loop.
    return DefWindowProcA(window, message, wParam, lParam);
}
