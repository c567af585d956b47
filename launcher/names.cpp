// Every name and text of the edition install.exe is built for: edition.h is
// made from its edition file (editions/) by tools/edition/edition.py, which has
// checked that each fits where it goes.
#include "launcher/launcher.h"

#include "edition.h"

#include <iterator>

const char szCompanyName[] = EDITION_KEY_COMPANY;
const char szProductName[] = EDITION_KEY_PRODUCT;
const char szVersionName[] = EDITION_KEY_VERSION;
const char launcher_mutex[] = EDITION_MUTEX;

// Each language's texts, one after the other, and each language as {id,
// code page, character set, where its texts start}.
const char edition_texts[] = EDITION_TEXTS;
const Language languages[] = {EDITION_LANGUAGES};
const int language_count = std::size(languages);

const char szInstaller[] = EDITION_INSTALLER;
const char szSoundSetup[] = EDITION_SOUND_SETUP;
const char szSoundSwitch[] = EDITION_SOUND_DRIVE_SWITCH;
const char szGame[] = EDITION_GAME;
const char szContinueGame[] = EDITION_CONTINUE_GAME;
