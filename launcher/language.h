// Choosing the language of a run among the edition's (Choose_Language, in
// launcher.h, does it for the player's), in steps the tests call too.
#pragma once

#include "launcher/launcher.h"

#include <windows.h>

// The most languages a player wants that are looked at.
const int max_wanted = 16;
// The texts of the window's controls: its line and its four buttons.
const int control_text_count = 5;

// The launcher window (id 0) and each control of its template, and the
// text of each.
struct Window_Text {
    int id;
    Text_Id text;
};
extern const Window_Text window_texts[control_text_count + 1];

// Appends the languages of `list`, as Windows lists them ("0409\0" "0415\0"
// ... "\0", four hex digits each), to `wanted` from its `count`th, up to
// `most` in all; returns the new count. An entry that is no id is passed.
int Parse_Languages(const WCHAR *list, LANGID *wanted, int count, int most);

// The languages the player wants, most wanted first, from Windows' display
// language `display`: that language, or, for the language of a language
// interface pack (LOCALE_CUSTOM_UI_DEFAULT), the user's preferred display
// languages `preferred` (as Windows lists them; null for none) and then the
// language of the user's locale. Returns how many.
int Players_Languages(LANGID display, const WCHAR *preferred, LANGID (&wanted)[max_wanted]);

// The language of `list` (`count` of them) for the wanted one: the same id;
// else the same language in the same script, its default form
// (SUBLANG_DEFAULT) first; null when there is none. Where `shown` is not 0,
// only a language of that code page.
const Language *Language_Among(const Language *list, int count, LANGID wanted, UINT shown);

// The first of the `wanted` languages (`wanted_count` of them) that `list`
// has, by Language_Among, and that this Windows can show; else the first of
// `list` that it can show (the default first); else the default.
const Language *Language_For(const LANGID *wanted, int wanted_count, const Language *list,
                             int count);

// 1 when this Windows can show `speaking`'s window whole: Windows 95 to ME
// in their own code page alone; 2000 and XP where its language group is
// installed; from 2000 on, where a face has every letter of its controls'
// texts (face.h); a language written right to left only where Windows
// mirrors its window.
int Can_Show(const Language &speaking);

// 1 for a language written right to left (Hebrew, Arabic, in code pages
// 1255 and 1256), whose window is mirrored.
int Right_To_Left(const Language &speaking);

// 1 where Windows mirrors a window (WS_EX_LAYOUTRTL): from Windows 2000 on,
// and on the Hebrew- and Arabic-enabled Windows 98 and ME.
int Can_Mirror();

// `speaking`'s controls' texts, in the order of ids.h.
void Control_Texts(const Language &speaking, const char *(&texts)[control_text_count]);
