// demo_driver.exe runs install.exe from the demo CD in drive E:.
//   demo_driver run          starts it for a person to use, and waits until
//                            it and the demo game have ended
//   demo_driver tour FOLDER  drives both roads itself: the first run that
//                            installs and plays, then the launcher window;
//                            saves a screenshot of each step in FOLDER and
//                            prints what happened
//   demo_driver window PROGRAM PNG
//                            starts PROGRAM, an install.exe whose game is
//                            installed, saves its window as PNG and closes
//                            it
#include "base/ids.h"
#include "screenshot.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace
{
const char launcher_path[] = "E:\\install.exe";
const char cd_root[] = "E:\\";
const char record_key[] = "Software\\Halvaro\\Vexmoor\\Version 1.0";
const DWORD step_ms = 50;
// setup.exe is an NSIS installer in German. Its button 1 goes on from page to
// page; the folder page holds the folder in the edit control 1019.
const char setup_caption[] = "Installation von Vexmoor";
const int setup_next = 1;
const int setup_folder = 1019;

char shot_folder[MAX_PATH];
int shot_number;
PROCESS_INFORMATION launcher;

struct Search {
    const char *cls;
    const char *title;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM lParam)
{
    Search *search = (Search *)lParam;
    char text[256];
    if (!IsWindowVisible(window))
        return TRUE;
    GetClassNameA(window, text, sizeof(text));
    if (lstrcmpA(text, search->cls) != 0)
        return TRUE;
    GetWindowTextA(window, text, sizeof(text));
    if (search->title && lstrcmpA(text, search->title) != 0)
        return TRUE;
    search->found = window;
    return FALSE;
}

// A visible top-level window of the class (and title, when given).
HWND Find(const char *cls, const char *title)
{
    Search search = {cls, title, nullptr};
    EnumWindows(Match, (LPARAM)&search);
    return search.found;
}

HWND Wait_For(const char *cls, const char *title, DWORD timeout_ms)
{
    for (DWORD waited = 0; waited <= timeout_ms; waited += step_ms) {
        if (HWND window = Find(cls, title))
            return window;
        Sleep(step_ms);
    }
    return nullptr;
}

struct Control {
    int id;
    HWND found;
};

BOOL CALLBACK Match_Control(HWND window, LPARAM lParam)
{
    Control *control = (Control *)lParam;
    if (GetDlgCtrlID(window) != control->id)
        return TRUE;
    control->found = window;
    return FALSE;
}

// The control `id` anywhere in `window`: NSIS puts each page's controls in
// a dialog of its own inside its window.
HWND Find_Control(HWND window, int id)
{
    Control control = {id, nullptr};
    EnumChildWindows(window, Match_Control, (LPARAM)&control);
    return control.found;
}

// Waits until the installer's button 1 reads `text` and can be pressed: the
// page that shows it is there and ready.
bool Wait_Page(HWND setup, const char *text, DWORD timeout_ms)
{
    char now[64];
    for (DWORD waited = 0; waited <= timeout_ms; waited += step_ms) {
        HWND next = GetDlgItem(setup, setup_next);
        GetWindowTextA(next, now, sizeof(now));
        if (lstrcmpA(now, text) == 0 && IsWindowEnabled(next))
            return true;
        Sleep(step_ms);
    }
    return false;
}

// Presses the installer's button 1 and waits for the next page, whose
// button 1 reads `text`.
bool Next_Page(HWND setup, const char *text, DWORD timeout_ms)
{
    PostMessageA(GetDlgItem(setup, setup_next), BM_CLICK, 0, 0);
    return Wait_Page(setup, text, timeout_ms);
}

bool Wait_Gone(HWND window, DWORD timeout_ms)
{
    for (DWORD waited = 0; waited <= timeout_ms; waited += step_ms) {
        if (!IsWindow(window))
            return true;
        Sleep(step_ms);
    }
    return false;
}

bool Start_Launcher()
{
    STARTUPINFOA start = {};
    start.cb = sizeof(start);
    char line[MAX_PATH];
    lstrcpyA(line, launcher_path);
    // Started as from the CD's autorun: its current folder is the CD root.
    return CreateProcessA(launcher_path, line, nullptr, nullptr, FALSE, 0, nullptr, cd_root, &start,
                          &launcher);
}

DWORD Wait_Launcher(DWORD timeout_ms)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(launcher.hProcess, timeout_ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(launcher.hProcess, &code);
    return code;
}

void Close_Launcher()
{
    if (!launcher.hProcess)
        return;
    if (WaitForSingleObject(launcher.hProcess, 0) == WAIT_TIMEOUT)
        TerminateProcess(launcher.hProcess, 1);
    CloseHandle(launcher.hThread);
    CloseHandle(launcher.hProcess);
    launcher = {};
}

void Shot(HWND window, const char *name)
{
    char path[MAX_PATH];
    Sleep(300); // let the window finish painting
    wsprintfA(path, "%s\\%02d-%s.png", shot_folder, ++shot_number, name);
    if (Save_Screenshot(window, path))
        printf("     screenshot: %s\n", path);
    else
        printf("     (no screenshot: %s)\n", path);
}

bool Read_Record(char *folder, DWORD size)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, record_key, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    LONG status = RegQueryValueExA(key, "folder", nullptr, &type, (BYTE *)folder, &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ;
}

int Fail(const char *what)
{
    // A warning of the launcher's own says why it stopped.
    HWND warning = Find("#32770", "Install");
    char text[512] = "";
    if (warning)
        GetDlgItemTextA(warning, 0xFFFF, text, sizeof(text));
    printf("FAILED: %s\n", what);
    if (text[0])
        printf("     install.exe warns: \"%s\"\n", text);
    Shot(nullptr, "failure");
    Close_Launcher();
    return 1;
}

void Close_Game(HWND game)
{
    PostMessageA(game, WM_CLOSE, 0, 0);
    Wait_Gone(game, 5000);
}

int First_Run()
{
    char text[512];
    printf("1. No installation record: install.exe starts setup.exe from E:\\.\n");
    if (!Start_Launcher())
        return Fail("install.exe could not be started");
    HWND setup = Wait_For("#32770", setup_caption, 30000);
    if (!setup || !Wait_Page(setup, "&Weiter >", 10000))
        return Fail("setup.exe showed no installer");
    printf("   setup.exe, an NSIS installer, welcomes the player in German.\n");
    Shot(nullptr, "installer-welcome");
    if (!Next_Page(setup, "&Installieren", 10000))
        return Fail("setup.exe did not ask for the game folder");
    // An edit control of another process answers WM_GETTEXT, not GetWindowText.
    SendMessageA(Find_Control(setup, setup_folder), WM_GETTEXT, sizeof(text), (LPARAM)text);
    printf("   It asks for the game folder and suggests %s; the tour accepts it.\n", text);
    Shot(nullptr, "installer-folder");
    if (!Next_Page(setup, "&Weiter >", 30000))
        return Fail("setup.exe did not finish copying");
    printf("   It copies the game and shows what it did.\n");
    Shot(nullptr, "installer-progress");
    if (!Next_Page(setup, "&Fertigstellen", 10000))
        return Fail("setup.exe did not show its last page");
    Shot(nullptr, "installer-finish");
    PostMessageA(GetDlgItem(setup, setup_next), BM_CLICK, 0, 0);
    if (!Wait_Gone(setup, 30000))
        return Fail("setup.exe did not end");
    if (!Read_Record(text, sizeof(text)))
        return Fail("setup.exe wrote no installation record");
    printf("2. setup.exe copied the game and wrote the record: folder = %s\n", text);
    HWND sound = Wait_For("#32770", "Vexmoor Sound Setup", 20000);
    if (!sound)
        return Fail("Setsound.exe showed nothing");
    GetDlgItemTextA(sound, 0xFFFF, text, sizeof(text));
    printf("3. install.exe found the record and ran Setsound.exe in the game folder. It says:\n");
    for (char *line = strtok(text, "\n"); line; line = strtok(nullptr, "\n"))
        printf("     | %s\n", line);
    Shot(nullptr, "sound-setup");
    PostMessageA(sound, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(sound, IDOK));
    HWND game = Wait_For("VexmoorDemo", nullptr, 20000);
    if (!game)
        return Fail("vexmoor.bat did not start the demo game");
    printf("4. install.exe ran vexmoor.bat: the demo game runs a new game. The tour closes it.\n");
    Shot(nullptr, "game");
    if (Wait_Launcher(0) != STILL_ACTIVE)
        return Fail("install.exe ended before the game");
    Close_Game(game);
    DWORD code = Wait_Launcher(10000);
    if (code == STILL_ACTIVE)
        return Fail("install.exe did not end after the game");
    printf("5. The game ended, and install.exe ended after it with exit code %lu.\n", code);
    Close_Launcher();
    return code == 0 ? 0 : Fail("install.exe ended with a nonzero exit code");
}

int Second_Run()
{
    char text[64];
    printf("6. With the record, install.exe shows its window:");
    if (!Start_Launcher())
        return Fail("install.exe could not be started");
    HWND window = Wait_For("Install", nullptr, 20000);
    if (!window)
        return Fail("the launcher window did not appear");
    const int buttons[] = {ID_START, ID_CONTINUE, ID_INSTALL, ID_CANCEL};
    for (int id : buttons) {
        GetDlgItemTextA(window, id, text, sizeof(text));
        printf(" [%s]", text);
    }
    printf("\n");
    Shot(nullptr, "launcher");
    Shot(window, "launcher-window");
    printf("7. The tour presses \"Fortsetzen\": REPLAY.BAT resumes the game.\n");
    PostMessageA(GetDlgItem(window, ID_CONTINUE), BM_CLICK, 0, 0);
    HWND game = Wait_For("VexmoorDemo", nullptr, 20000);
    if (!game)
        return Fail("REPLAY.BAT did not start the demo game");
    DWORD code = Wait_Launcher(10000);
    if (code == STILL_ACTIVE)
        return Fail("install.exe did not end after starting REPLAY.BAT");
    printf("   install.exe ended at once, with exit code %lu; the game runs on.\n", code);
    Shot(nullptr, "game-resumed");
    Close_Game(game);
    Close_Launcher();
    return code == 0 ? 0 : Fail("install.exe ended with a nonzero exit code");
}

int Tour(const char *folder)
{
    char record[MAX_PATH];
    if (lstrlenA(folder) >= MAX_PATH - 32)
        return 2;
    lstrcpyA(shot_folder, folder);
    CreateDirectoryA(shot_folder, nullptr);
    if (Read_Record(record, sizeof(record))) {
        printf("The demo is already installed in %s; reset it first.\n", record);
        return 2;
    }
    int failed = First_Run();
    if (!failed)
        failed = Second_Run();
    printf(failed ? "The tour stopped.\n" : "The tour went through both roads.\n");
    return failed;
}

// For a person at the display: the launcher runs as from the CD, and the
// Wine session stays up while a game it started (even by Continue) is open.
int Run()
{
    if (!Start_Launcher()) {
        printf("install.exe could not be started from %s\n", launcher_path);
        return 1;
    }
    DWORD code = Wait_Launcher(INFINITE);
    printf("install.exe ended with exit code %lu.\n", code);
    Close_Launcher();
    while (Find("VexmoorDemo", nullptr))
        Sleep(200);
    return 0;
}
// Another edition's launcher window, as its players see it.
int Window(const char *program, const char *png)
{
    STARTUPINFOA start = {};
    start.cb = sizeof(start);
    char line[MAX_PATH];
    lstrcpynA(line, program, sizeof(line));
    if (!CreateProcessA(program, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                        &launcher)) {
        printf("%s could not be started\n", program);
        return 1;
    }
    HWND window = Wait_For("Install", nullptr, 10000);
    Sleep(300); // let the window finish painting
    bool saved = window && Save_Screenshot(window, png);
    printf(saved ? "screenshot: %s\n" : "no window to save as %s\n", png);
    if (window)
        PostMessageA(window, WM_COMMAND, ID_CANCEL, 0);
    Wait_Launcher(5000);
    Close_Launcher();
    return saved ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    // The screenshots' encoder is a COM object.
    CoInitialize(nullptr);
    if (argc == 2 && lstrcmpA(argv[1], "run") == 0)
        return Run();
    if (argc == 3 && lstrcmpA(argv[1], "tour") == 0)
        return Tour(argv[2]);
    if (argc == 4 && lstrcmpA(argv[1], "window") == 0)
        return Window(argv[2], argv[3]);
    printf("usage: demo_driver run | demo_driver tour FOLDER | demo_driver window PROGRAM PNG\n");
    return 2;
}
