// The launcher's shared names and texts, and its warning message. Each
// edition of install.exe carries its own in its resources, which
// Read_Edition reads (launcher/edition.cpp); the Vexmoor edition's are given
// here.
#pragma once

#include "base/ids.h"

#include <windows.h>

// The three names that locate the installation record, always passed
// together and in this order, in UTF-8: "Halvaro", "Vexmoor", "Version 1.0".
extern const char *szCompanyName;
extern const char *szProductName;
extern const char *szVersionName;

// The mutex that one launcher of this edition holds while it runs, named
// after company and product: "Halvaro Vexmoor install.exe". Its name is in
// ASCII, the same in every code page: a letter outside ASCII is written as
// "+" and its Unicode number ("Halvaro +0141owcy cieni install.exe").
extern const char *launcher_mutex;

// The texts of each language, in UTF-8, one after the other in the order of
// ids.h, each ended by its terminator: Vexmoor's caption "Vexmoor", its line
// and buttons, the warnings' caption "Install", "(untitled)" for an empty
// argument, and the warnings "Cannot Find %s", "Game Run Error %s", "Folder
// Error %s", "Installation complete %s" and "Installation incomplete %s"
// (both after the Install command), and "Installation Incomplete %s" (the
// first run).
#define LAUNCHER_TEXT_ID(name) text_##name,
enum Text_Id { LAUNCHER_TEXTS(LAUNCHER_TEXT_ID) text_count };
#undef LAUNCHER_TEXT_ID
// The edition's data, where each language's texts are.
extern const char *edition_texts;

// One of the edition's languages.
struct Language {
    LANGID id;
    // The ANSI code page of its texts, and the font character set that has
    // their letters.
    WORD code_page;
    BYTE charset;
    // Where its texts start in edition_texts.
    WORD texts;
    // The face and the size in points its window asks for first (the
    // edition's font_name and font_size in its part), or "" and 0.
    const char *face;
    BYTE points;
    // Where its texts for Windows 95 to ME start: the same, unless their
    // code page writes them otherwise (Vietnamese, whose code page 1258 has
    // many letters only as a base letter and a combining mark).
    WORD ansi_texts;
};

// The edition's languages, its default first (Vexmoor has German alone).
extern Language languages[LANGUAGE_MAX];
extern int language_count;
// Reads the edition from install.exe's resources into the names, texts and
// languages above; false when it is missing or any place in it lies
// outside it, and then nothing may be read.
bool Read_Edition();

// The language of this run, which Choose_Language sets first of all.
extern const Language *language;

// The face of the window's template (the edition's font_name).
extern const char *template_face;

// The run's language's text `id`, and `speaking`'s.
const char *Text(Text_Id id);
const char *Text_Of(const Language &speaking, Text_Id id);

// Chooses the player's language among those this Windows can show: that of
// Windows' display language and its fallbacks (Vista on: the thread's
// preferred languages with the user's and the system's fallbacks; before
// that, with a language interface pack, the user's preferred ones, then the
// user's locale's), else the same language in the same script (German for
// Austrian German, never Serbian in Cyrillic for Croatian), else the
// default, else the first that can be shown. Windows 95 to ME show only
// those in their ANSI code page; 2000 and XP those whose language group is
// installed; each a language a face has every letter of.
void Choose_Language();

// The programs, each started by its name alone: "setup.exe" from the start
// folder; "Setsound.exe" (empty for a game without one) in the game
// folder, with the switch "/D" and the start drive's letter; "vexmoor.bat"
// and "REPLAY.BAT" in the game folder.
extern const char *szInstaller;
extern const char *szSoundSetup;
extern const char *szSoundSwitch;
extern const char *szGame;
extern const char *szContinueGame;

// Shows a warning box captioned in the run's language, owned by `owner`.
// `format` (UTF-8) takes exactly one "%s": `unicode_argument` where it is
// given and not empty, else `argument`, in the ANSI code page; an empty
// argument reads as the language's "untitled". Returns the message box's
// result.
int OkMessage(HWND owner, const char *format, const char *argument,
              const WCHAR *unicode_argument = nullptr);
