#include "launcher/install.h"
#include "children/children.h"
#include "folders/folders.h"
#include "launcher/launcher.h"
#include "launcher/play.h"
#include "launcher/timing.h"
#include "record/record.h"

namespace
{
// Starts `command` in the current folder and waits until it has ended.
int Run_And_Wait(const char *command)
{
    if (!Do_Process(command))
        return 0;
    return Wait_Finish();
}
} // namespace

int Exec_Setup()
{
    Start_Directory();
    return Run_And_Wait(szInstaller);
}

int Delay_Read_Reg()
{
    for (int poll = 0; poll < record_polls; poll++) {
        Pause(poll_pause_ms);
        if (ReadRegistry(szCompanyName, szProductName, szVersionName)) {
            Pause(found_pause_ms);
            return 1;
        }
    }
    return 0;
}

int Exec_SetSound(HWND window)
{
    // "Setsound.exe /DE": the edition's build has checked that its program
    // and switch leave room here for the letter and the terminator.
    char command[MAX_PATH];
    // The drive the launcher was started from: the sound setup finds the
    // CD's files there.
    char letter[] = {(char)('A' + startdisk), '\0'};

    lstrcpyA(command, szSoundSetup);
    lstrcatA(command, " ");
    lstrcatA(command, szSoundSwitch);
    lstrcatA(command, letter);

    Start_Directory();
    if (New_Directory(window, szFolderRead, szFolderReadW) != FOLDER_ENTERED)
        return 0;
    return Run_And_Wait(command);
}

int Install_Game(HWND window)
{
    if (!Exec_Setup())
        return 0;
    if (!Delay_Read_Reg())
        return 0;
    return Exec_SetSound(window);
}

void Install_Command(HWND window)
{
    // The old record must be gone before the installer runs, or the poll
    // would find it at once. The install goes on whether or not that worked.
    if (ReadRegistry(szCompanyName, szProductName, szVersionName))
        DeleteRegistry(szCompanyName, szProductName, szVersionName);
    if (Install_Game(window) == 1)
        OkMessage(window, szInstallComplete, " ");
    else
        OkMessage(window, szInstallIncomplete, " ");
}

void First_Run(HWND window)
{
    // The launcher ends after the game, whatever came of it.
    if (Install_Game(window))
        Play_Game(window);
    else
        OkMessage(window, szFirstRunIncomplete, " ");
}
