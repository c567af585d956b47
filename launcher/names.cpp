// Every name and text of the edition install.exe is built for: edition.h is
// made from its edition file (editions/) by tools/edition/edition.py, which has
// checked that each fits where it goes.
#include "launcher/launcher.h"

#include "edition.h"

const char szCompanyName[] = EDITION_KEY_COMPANY;
const char szProductName[] = EDITION_KEY_PRODUCT;
const char szVersionName[] = EDITION_KEY_VERSION;
const char launcher_mutex[] = EDITION_MUTEX;

const char warning_caption[] = EDITION_WARNING_CAPTION;
const char szUntitled[] = EDITION_UNTITLED;
const char szCannotFind[] = EDITION_CANNOT_FIND;
const char szGameRunError[] = EDITION_GAME_RUN_ERROR;
const char szFolderError[] = EDITION_FOLDER_ERROR;
const char szInstallComplete[] = EDITION_INSTALL_COMPLETE;
const char szInstallIncomplete[] = EDITION_INSTALL_INCOMPLETE;
const char szFirstRunIncomplete[] = EDITION_FIRST_RUN_INCOMPLETE;

const char szInstaller[] = EDITION_INSTALLER;
const char szSoundSetup[] = EDITION_SOUND_SETUP;
const char szSoundSwitch[] = EDITION_SOUND_DRIVE_SWITCH;
const char szGame[] = EDITION_GAME;
const char szContinueGame[] = EDITION_CONTINUE_GAME;
