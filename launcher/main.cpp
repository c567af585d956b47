// install.exe: the launcher on the Vexmoor CD. With the installation record
// it shows its window; without it, it installs the game, starts it and ends.
#include "folders/folders.h"
#include "launcher/frame.h"
#include "launcher/launcher.h"
#include "record/record.h"

namespace
{
// 1 when another launcher of this edition runs in this session. The mutex
// stays open until the process ends, which closes it. Its name has no
// backslash: it lives in the session's own namespace, so that two users of
// one PC (fast user switching, a terminal server) each keep their own
// launcher.
int Another_Launcher_Runs()
{
    HANDLE mutex = CreateMutexA(nullptr, FALSE, launcher_mutex);
    DWORD error = GetLastError();
    // Denied: the mutex is there, made by a launcher run as administrator
    // (the player's choice: its manifest asks for none), whose mutex a launcher
    // at a lower integrity level may not open. Any other failure lets the
    // launcher run: a failed check must never lock the player out.
    if (!mutex)
        return error == ERROR_ACCESS_DENIED;
    return error == ERROR_ALREADY_EXISTS;
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int show)
{
    // Without its edition the launcher knows no text to show, no record to
    // read and no program to start. Its data is checked when it is written:
    // only a copy damaged since, or a launcher into which none was written,
    // ends here, in words every Windows can show.
    if (!Read_Edition()) {
        MessageBoxW(nullptr, L"This install.exe is damaged: its texts and names are missing.",
                    L"install.exe", MB_OK | MB_ICONSTOP);
        return 1;
    }
    // The window and every warning of the run speak the player's language.
    Choose_Language();
    // A launcher started again from the disc (AutoRun when the disc goes in
    // again, a second double click) while one runs must not start the
    // installer twice or delete the record under a running game: it starts
    // nothing and only brings the first one's window forward.
    if (Another_Launcher_Runs()) {
        Raise_Running_Launcher();
        return 0;
    }
    Create_Launcher_Window(instance, previous);
    Find_Start_Directory();
    if (ReadRegistry(szCompanyName, szProductName, szVersionName)) {
        // Without a window there is nothing to show and nothing that could
        // end the loop.
        if (!hwnd)
            return 0;
        ShowWindow(hwnd, show);
    } else {
        // First run: install and play with the window hidden; it still owns
        // the warnings. Destroyed then, its WM_DESTROY posts the quit
        // message that ends the loop below at once.
        First_Run_Flow(hwnd);
        if (!hwnd)
            return 0;
        DestroyWindow(hwnd);
    }
    return Message_Loop();
}
