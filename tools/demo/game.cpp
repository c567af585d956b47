// The demo game, VEXDEMO.EXE, started by the game folder's batch files:
// "/new" from vexmoor.bat, "/resume" from REPLAY.BAT. It opens one window
// that says which mode it was started in and ends when that window closes.
#include <windows.h>

#include <string.h>

namespace
{
const char end_text[] = "Vexmoor demo: close this window to end";
char mode_text[64];
char folder_text[MAX_PATH + 16];

void Paint(HWND window)
{
    PAINTSTRUCT paint;
    RECT area;
    HDC dc = BeginPaint(window, &paint);
    GetClientRect(window, &area);
    FillRect(dc, &area, (HBRUSH)GetStockObject(BLACK_BRUSH));
    SetBkMode(dc, TRANSPARENT);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, RGB(255, 210, 90));
    TextOutA(dc, 24, 24, end_text, lstrlenA(end_text));
    SetTextColor(dc, RGB(200, 200, 200));
    TextOutA(dc, 24, 56, mode_text, lstrlenA(mode_text));
    TextOutA(dc, 24, 80, folder_text, lstrlenA(folder_text));
    EndPaint(window, &paint);
}

LRESULT CALLBACK Game_Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int show)
{
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, folder);
    lstrcpyA(mode_text, strstr(arguments, "/resume") ? "Resuming the saved game (REPLAY.BAT)"
                                                     : "A new game (vexmoor.bat)");
    wsprintfA(folder_text, "Game folder: %.259s", folder);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = Game_Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "VexmoorDemo";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Vexmoor demo", WS_OVERLAPPEDWINDOW, 260,
                                  180, 440, 170, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
