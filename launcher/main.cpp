// install.exe: the launcher on the Vexmoor CD. With the installation record
// it shows its window; without it, it installs the game, starts it and ends.
#include "folders/folders.h"
#include "launcher/frame.h"
#include "launcher/launcher.h"
#include "record/record.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int show)
{
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
        // the warnings. Its WM_DESTROY then posts the quit message that ends
        // the loop below at once.
        First_Run_Flow(hwnd);
        if (!hwnd)
            return 0;
        SendMessageA(hwnd, WM_DESTROY, 0, 0);
    }
    return Message_Loop();
}
