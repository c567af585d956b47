// The benchmark's yardstick: registers the launcher's window class, creates
// the launcher's dialog template, shows it and does nothing else. Any
// command or closing the window ends it. Built twice: with MinGW's C
// runtime, and with MINDIALOG_NO_RUNTIME without one, as install.exe is.
#include <windows.h>

namespace
{
LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    // The launcher's window class, field for field.
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = Proc;
    wc.cbWndExtra = DLGWINDOWEXTRA;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = "Install";
    RegisterClassA(&wc);
    HWND window = CreateDialogParamA(instance, "Install", nullptr, nullptr, 0);
    if (!window)
        return 1;
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

#ifdef MINDIALOG_NO_RUNTIME
// In place of the runtime's entry: the show command as WinMain takes it.
extern "C" void WinMainCRTStartup(void)
{
    STARTUPINFOA startup;
    startup.cb = sizeof(startup);
    GetStartupInfoA(&startup);
    int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), show));
}
#endif
