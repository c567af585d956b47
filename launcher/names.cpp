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
const char template_face[] = EDITION_FONT_NAME;

// Each language's texts, one after the other, and each language as {id,
// code page, character set, where its texts start, its own face and size}.
const char edition_texts[] = EDITION_TEXTS;
const Language languages[] = {EDITION_LANGUAGES};
const int language_count = std::size(languages);

// The edition build checked the texts and names against the counts and
// sizes of base/ids.h, and wrote down which: they must be these.
static_assert(EDITION_TEXT_COUNT == text_count, "edition.h has another count of texts");
static_assert(EDITION_KEY_PATH_BUFFER == KEY_PATH_BUFFER &&
                  EDITION_COMMAND_BUFFER == COMMAND_BUFFER &&
                  EDITION_WARNING_BUFFER == WARNING_BUFFER &&
                  EDITION_FOLDER_BUFFER == FOLDER_BUFFER && EDITION_FACE_BUFFER == FACE_BUFFER,
              "edition.h was checked against other buffer sizes");
// A face's name is a LOGFONT's, and a folder at most a path.
static_assert(FACE_BUFFER == LF_FACESIZE && FOLDER_BUFFER == MAX_PATH,
              "ids.h's sizes are Windows'");

const char szInstaller[] = EDITION_INSTALLER;
const char szSoundSetup[] = EDITION_SOUND_SETUP;
const char szSoundSwitch[] = EDITION_SOUND_DRIVE_SWITCH;
const char szGame[] = EDITION_GAME;
const char szContinueGame[] = EDITION_CONTINUE_GAME;
