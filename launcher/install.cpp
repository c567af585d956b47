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
// `window` owns what Windows asks (children.h).
int Run_And_Wait(const char *command, HWND window)
{
    if (!Do_Process(command, window))
        return 0;
    return Wait_Finish();
}
} // namespace

int Exec_Setup(HWND window, int replace_record)
{
    // The installer is started by the start folder; one that cannot be
    // entered again (a disc taken out, a share gone) starts nothing, for
    // the installer would be looked for in whatever folder is current.
    if (Start_Directory() != 0) {
        OkMessage(window, Text(text_folder_error), startpath,
                  startpathW[0] != L'\0' ? startpathW : nullptr);
        return 0;
    }
    // A reinstall deletes the old record only once the installer has
    // started: an installer that is missing, damaged or refused by Windows
    // must not cost the player the installed game, nor must a player's No
    // at User Account Control's prompt (the start then fails). It is
    // started suspended, so it still never sees the old record; on the road
    // that asks for elevation, which cannot suspend it, the record goes as
    // soon as the prompt has been answered and the installer runs.
    if (!Do_Process(szInstaller, window, replace_record))
        return 0;
    if (replace_record) {
        if (ReadRegistry(szCompanyName, szProductName, szVersionName))
            DeleteRegistry(szCompanyName, szProductName, szVersionName);
        Resume_Child();
    }
    return Wait_Finish();
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
    char command[COMMAND_BUFFER];
    // The drive the launcher was started from: the sound setup finds the
    // CD's files there. A disc shared as "\\server\cd" has no letter to
    // give, and the switch goes alone.
    char letter[] = {(char)('A' + startdisk), '\0'};

    lstrcpyA(command, szSoundSetup);
    lstrcatA(command, " ");
    lstrcatA(command, szSoundSwitch);
    if (startdisk >= 0)
        lstrcatA(command, letter);

    Start_Directory();
    if (New_Directory(window, szFolderRead, szFolderReadW) != FOLDER_ENTERED)
        return 0;
    return Run_And_Wait(command, window);
}

int Install_Game(HWND window, int replace_record)
{
    if (!Exec_Setup(window, replace_record))
        return 0;
    if (!Delay_Read_Reg())
        return 0;
    // Most games have no sound setup: the record is all they need.
    if (szSoundSetup[0] == '\0')
        return 1;
    return Exec_SetSound(window);
}

void Install_Command(HWND window)
{
    // The old record must be gone before the installer runs, or the poll
    // would find it at once (Exec_Setup). The install goes on whether or
    // not deleting it worked.
    if (Install_Game(window, 1) == 1)
        OkMessage(window, Text(text_install_complete), " ");
    else
        OkMessage(window, Text(text_install_incomplete), " ");
}

void First_Run(HWND window)
{
    // The launcher ends after the game, whatever came of it.
    if (Install_Game(window, 0))
        Play_Game(window);
    else
        OkMessage(window, Text(text_first_run_incomplete), " ");
}
