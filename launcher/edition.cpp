// The edition install.exe carries: its names, texts, programs and languages,
// read from its own resources when it starts (tools/edition/edition.py
// writes them into the launcher), as its window, icon and version are.
#include "launcher/launcher.h"

#include <iterator>

const char *szCompanyName;
const char *szProductName;
const char *szVersionName;
const char *launcher_mutex;
const char *template_face;
const char *szInstaller;
const char *szSoundSetup;
const char *szSoundSwitch;
const char *szGame;
const char *szContinueGame;
const char *edition_texts;
Language languages[LANGUAGE_MAX];
int language_count;

namespace
{
// Where each name of LAUNCHER_NAMES goes, in its order.
const char **const names[] = {&szCompanyName, &szProductName, &szVersionName, &launcher_mutex,
                              &template_face, &szInstaller,   &szSoundSetup,  &szSoundSwitch,
                              &szGame,        &szContinueGame};
#define LAUNCHER_NAME_COUNT(name) +1
static_assert(std::size(names) == 0 LAUNCHER_NAMES(LAUNCHER_NAME_COUNT),
              "a name of ids.h has no place here");
#undef LAUNCHER_NAME_COUNT

// Whether the `text_count` texts from `place` all start within the data:
// each then ends within it, at its last byte's terminator at the latest.
bool Texts_Within(const char *data, DWORD size, DWORD place)
{
    for (int i = 0; i < text_count; i++) {
        if (place >= size)
            return false;
        place += lstrlenA(data + place) + 1;
    }
    return true;
}

// The language of `row`; false where a place is not within the data.
bool Read_Language(const char *data, DWORD size, const WORD *row, Language &language)
{
    if (row[4] >= size || row[6] >= size || row[2] > 0xFF || row[3] > 0xFF)
        return false;
    language.id = row[0];
    language.code_page = row[1];
    language.charset = static_cast<BYTE>(row[2]);
    language.points = static_cast<BYTE>(row[3]);
    language.texts = row[4];
    language.ansi_texts = row[5];
    language.face = data + row[6];
    return Texts_Within(data, size, row[4]) && Texts_Within(data, size, row[5]);
}
} // namespace

bool Read_Edition()
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(EDITION_RESOURCE), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const char *data = loaded ? static_cast<const char *>(LockResource(loaded)) : nullptr;
    DWORD size = found ? SizeofResource(nullptr, found) : 0;

    // Every place is a WORD, and the last text ends at the last byte.
    if (!data || size < 2 || size > 0xFFFF || data[size - 1] != '\0')
        return false;
    // A resource's data starts on a DWORD boundary.
    const WORD *words = reinterpret_cast<const WORD *>(data);
    DWORD count = words[0];
    DWORD rows = 1 + std::size(names);
    if (count == 0 || count > LANGUAGE_MAX || (rows + count * LANGUAGE_ROW_WORDS) * 2 > size)
        return false;
    for (DWORD i = 0; i < std::size(names); i++) {
        if (words[1 + i] >= size)
            return false;
        *names[i] = data + words[1 + i];
    }
    for (DWORD i = 0; i < count; i++) {
        if (!Read_Language(data, size, words + rows + i * LANGUAGE_ROW_WORDS, languages[i]))
            return false;
    }
    edition_texts = data;
    language_count = count;
    return true;
}

// A face's name is a LOGFONT's, and a folder at most a path.
static_assert(FACE_BUFFER == LF_FACESIZE && FOLDER_BUFFER == MAX_PATH,
              "ids.h's sizes are Windows'");
