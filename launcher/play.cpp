#include "launcher/play.h"
#include "children/children.h"
#include "folders/folders.h"
#include "launcher/launcher.h"
#include "record/record.h"

namespace
{
// Makes the game folder current, so that the game's batch files run there.
// New_Directory warns of a change of folder that failed; this warning then
// names the folder the record gave.
int Enter_Game_Folder(HWND window)
{
    if (New_Directory(window, szFolderRead, szFolderReadW) != FOLDER_ENTERED) {
        OkMessage(window, Text(text_cannot_find), szFolderRead, szFolderReadW);
        return 0;
    }
    return 1;
}
} // namespace

int Exec_Pif(HWND window)
{
    if (!Do_Process(szGame, window))
        return 0;
    return Wait_Finish();
}

int Play_Game(HWND window)
{
    if (!Enter_Game_Folder(window))
        return 0;
    if (!Exec_Pif(window)) {
        OkMessage(window, Text(text_game_run_error), "1");
        return 0;
    }
    return 1;
}

int Continue_Game(HWND window)
{
    if (!Enter_Game_Folder(window))
        return 0;
    // No wait: the launcher ends while the game goes on.
    return Do_Process(szContinueGame, window) ? 1 : 0;
}
