// Choosing the language of a run among the edition's (Choose_Language, in
// launcher.h, does it for the player's), in steps the tests call too.
#pragma once

#include "launcher/launcher.h"

#include <windows.h>

// The most languages a player wants that are looked at.
const int max_wanted = 16;

// The languages the player wants, most wanted first, from Windows' display
// language `display`: that language, or, for the language of a language
// interface pack (LOCALE_CUSTOM_UI_DEFAULT), the user's preferred display
// languages and then the language of the user's locale. Returns how many.
int Players_Languages(LANGID display, LANGID (&wanted)[max_wanted]);

// The language of `list` (`count` of them) for the wanted one: the same id;
// else the same language in the same script, its default form
// (SUBLANG_DEFAULT) first; null when there is none. Where `shown` is not 0,
// only a language of that code page.
const Language *Language_Among(const Language *list, int count, LANGID wanted, UINT shown);
