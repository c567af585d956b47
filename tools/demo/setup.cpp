// The demo CD's installer, setup.exe: asks for the game folder (C:\Vexmoor
// unless the user types another), copies the demo game from the CD's GAME
// folder into it behind a short progress window, and writes the installation
// record that install.exe waits for. Ends with 0 once the record is written,
// with 1 when the user cancels or a step fails.
#include <windows.h>
#include <commctrl.h>

#include <iterator>
#include <string.h>

namespace
{
const char record_key[] = "Software\\Halvaro\\Vexmoor\\Version 1.0";
const char default_folder[] = "C:\\Vexmoor";
const char title[] = "Vexmoor Setup";
const int id_folder = 10;
const int id_status = 11;
const int id_progress = 12;
const UINT_PTR copy_timer = 1;
// The pause between two files: long enough to see the progress window.
const UINT copy_pause_ms = 400;

HWND window, folder_edit, status_text, progress_bar, install_button, cancel_button;
char source[MAX_PATH];
char target[MAX_PATH];
const int max_files = 16;
char files[max_files][MAX_PATH];
int file_count, next_file;
int result = 1;

bool Join(char *out, const char *folder, const char *name)
{
    if (lstrlenA(folder) + 1 + lstrlenA(name) >= MAX_PATH)
        return false;
    lstrcpyA(out, folder);
    if (out[0] && out[lstrlenA(out) - 1] != '\\')
        lstrcatA(out, "\\");
    lstrcatA(out, name);
    return true;
}

// The CD's GAME folder, beside setup.exe wherever the CD is mounted.
bool Find_Source()
{
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, std::size(self));
    if (length == 0 || length >= std::size(self))
        return false;
    *(strrchr(self, '\\')) = '\0';
    return Join(source, self, "GAME");
}

// Creates the folder and each missing folder above it.
bool Make_Folders(const char *path)
{
    char partial[MAX_PATH];
    lstrcpyA(partial, path);
    for (char *p = partial + 3; *p; ++p) {
        if (*p != '\\')
            continue;
        *p = '\0';
        CreateDirectoryA(partial, nullptr);
        *p = '\\';
    }
    return CreateDirectoryA(partial, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool Write_Record()
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, record_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    LONG status =
        RegSetValueExA(key, "folder", 0, REG_SZ, (const BYTE *)target, lstrlenA(target) + 1);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void Fail(const char *what)
{
    char text[2 * MAX_PATH];
    wsprintfA(text, "%s\n\nVexmoor was not installed.", what);
    MessageBoxA(window, text, title, MB_OK | MB_ICONSTOP);
    DestroyWindow(window);
}

// The names of the files to copy; the demo game has a handful.
bool List_Files()
{
    char pattern[MAX_PATH];
    WIN32_FIND_DATAA found;
    if (!Join(pattern, source, "*"))
        return false;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && file_count < max_files)
            lstrcpyA(files[file_count++], found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return file_count > 0;
}

void Start_Copy()
{
    int length = GetWindowTextA(folder_edit, target, std::size(target));
    while (length > 3 && target[length - 1] == '\\')
        target[--length] = '\0';
    if (length < 3 || target[1] != ':' || target[2] != '\\') {
        MessageBoxA(window, "Please give a full folder path, such as C:\\Vexmoor.", title,
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (!List_Files())
        return Fail("The game's files were not found on the CD.");
    if (!Make_Folders(target))
        return Fail("The game folder could not be created.");
    EnableWindow(install_button, FALSE);
    EnableWindow(folder_edit, FALSE);
    SendMessageA(progress_bar, PBM_SETRANGE, 0, MAKELPARAM(0, file_count));
    ShowWindow(progress_bar, SW_SHOW);
    SetTimer(window, copy_timer, copy_pause_ms, nullptr);
}

// One file per timer tick, so that the window stays alive while it copies.
void Copy_Next()
{
    char from[MAX_PATH], to[MAX_PATH], status[MAX_PATH + 16];
    if (next_file == file_count) {
        KillTimer(window, copy_timer);
        if (!Write_Record())
            return Fail("The installation record could not be written.");
        result = 0;
        DestroyWindow(window);
        return;
    }
    const char *name = files[next_file++];
    if (!Join(from, source, name) || !Join(to, target, name) || !CopyFileA(from, to, FALSE)) {
        KillTimer(window, copy_timer);
        return Fail("A file could not be copied.");
    }
    wsprintfA(status, "Copying %s", name);
    SetWindowTextA(status_text, status);
    SendMessageA(progress_bar, PBM_STEPIT, 0, 0);
}

HWND Child(const char *cls, const char *text, DWORD style, int x, int y, int w, int h, int id)
{
    HWND child = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, window,
                                 (HMENU)(INT_PTR)id, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(child, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), 0);
    return child;
}

void Create_Controls()
{
    Child("STATIC", "Install the Vexmoor demo into this folder:", 0, 16, 16, 360, 18, -1);
    folder_edit = Child("EDIT", default_folder, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, 16, 38,
                        360, 22, id_folder);
    status_text = Child("STATIC", "", 0, 16, 72, 360, 18, id_status);
    progress_bar = Child(PROGRESS_CLASSA, "", 0, 16, 94, 360, 18, id_progress);
    ShowWindow(progress_bar, SW_HIDE);
    SendMessageA(progress_bar, PBM_SETSTEP, 1, 0);
    install_button =
        Child("BUTTON", "Install", BS_DEFPUSHBUTTON | WS_TABSTOP, 196, 128, 84, 26, IDOK);
    cancel_button = Child("BUTTON", "Cancel", WS_TABSTOP, 292, 128, 84, 26, IDCANCEL);
}

LRESULT CALLBACK Setup_Proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK && IsWindowEnabled(install_button))
            Start_Copy();
        else if (LOWORD(wParam) == IDCANCEL)
            DestroyWindow(w);
        return 0;
    case WM_TIMER:
        Copy_Next();
        return 0;
    case WM_CLOSE:
        DestroyWindow(w);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(result);
        return 0;
    }
    return DefWindowProcA(w, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    if (!Find_Source())
        return 1;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Setup_Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = "VexmoorSetup";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, wc.lpszClassName, title, WS_CAPTION | WS_SYSMENU, 200, 200, 400,
                             200, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    Create_Controls();
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        if (!IsDialogMessageA(window, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    return result;
}
