// The language the launcher speaks: the player's, where the edition has it.
#include "launcher/language.h"
#include "base/system.h"
#include "base/text.h"
#include "launcher/launcher.h"

#include <iterator>

const Language *language;

namespace
{
typedef LANGID(WINAPI *Ui_Language)(void);
typedef BOOL(WINAPI *Preferred_Ui_Languages)(DWORD, PULONG, PZZWSTR, PULONG);

// What Windows Vista to 11 answer for the display language when it comes
// from a language interface pack: the user's preferred languages then say
// which.
const LANGID custom_ui_default = 0x1400;
// GetUserPreferredUILanguages gives the languages as ids in hex.
const DWORD mui_language_id = 0x4;

// The languages whose primary language id Windows writes in more than one
// script (Chinese, Azeri, Uzbek, Mongolian), or that stands for several
// languages (0x1A: Croatian, Serbian and Bosnian), each with its language
// and script: a high byte of its own over the primary language. Windows
// falls back from a language to its parent, never to another script.
const struct {
    LANGID id;
    WORD group;
} scripts[] = {
    // Chinese: Simplified (China, Singapore), Traditional (Taiwan, Hong
    // Kong, Macao).
    {0x0804, 0x0104},
    {0x1004, 0x0104},
    {0x0004, 0x0104},
    {0x0404, 0x0204},
    {0x0C04, 0x0204},
    {0x1404, 0x0204},
    {0x7C04, 0x0204},
    // Croatian; Serbian in Latin; Serbian in Cyrillic; Bosnian in Latin; in
    // Cyrillic.
    {0x041A, 0x011A},
    {0x101A, 0x011A},
    {0x001A, 0x011A},
    {0x081A, 0x021A},
    {0x181A, 0x021A},
    {0x241A, 0x021A},
    {0x2C1A, 0x021A},
    {0x701A, 0x021A},
    {0x0C1A, 0x031A},
    {0x1C1A, 0x031A},
    {0x281A, 0x031A},
    {0x301A, 0x031A},
    {0x6C1A, 0x031A},
    {0x141A, 0x041A},
    {0x681A, 0x041A},
    {0x201A, 0x051A},
    {0x641A, 0x051A},
    // Azeri, Uzbek and Mongolian: Latin (Mongolian: Cyrillic), then Cyrillic
    // (Mongolian: its own script).
    {0x042C, 0x012C},
    {0x782C, 0x012C},
    {0x082C, 0x022C},
    {0x742C, 0x022C},
    {0x0443, 0x0143},
    {0x7C43, 0x0143},
    {0x0843, 0x0243},
    {0x7843, 0x0243},
    {0x0450, 0x0150},
    {0x7850, 0x0150},
    {0x0850, 0x0250},
    {0x0C50, 0x0250},
    {0x7C50, 0x0250},
};

// The language and script of `id`: its primary language, or its entry in
// the table above. An id of a split primary language that the table lacks
// stands for itself alone.
DWORD Script_Group(LANGID id)
{
    for (auto &script : scripts)
        if (script.id == id)
            return script.group;
    for (auto &script : scripts)
        if (PRIMARYLANGID(script.id) == PRIMARYLANGID(id))
            return 0x10000u | id;
    return PRIMARYLANGID(id);
}

// The language of Windows' menus and dialogs: the display language, which
// Windows 2000 and later let each user choose; before that, the language
// of the user's locale.
LANGID Display_Language()
{
    auto ui = System_Function<Ui_Language>("kernel32.dll", "GetUserDefaultUILanguage");
    return ui ? ui() : GetUserDefaultLangID();
}

// Appends the user's preferred display languages (Windows Vista on) to
// `wanted`, from its `count`th; returns the new count.
int Preferred_Languages(LANGID (&wanted)[max_wanted], int count)
{
    WCHAR list[128];
    ULONG languages = 0, size = std::size(list);

    auto preferred =
        System_Function<Preferred_Ui_Languages>("kernel32.dll", "GetUserPreferredUILanguages");
    if (!preferred || !preferred(mui_language_id, &languages, list, &size))
        return count;
    // "0409\0" "0415\0" ... "\0": four hex digits each.
    const WCHAR *id = list;
    for (; *id != L'\0' && count < max_wanted; id++) {
        LANGID value = 0;
        int digits = 0;
        for (; digits < 4 && id[digits] != L'\0'; digits++) {
            WCHAR c = id[digits];
            int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                        : c >= L'A' && c <= L'F' ? c - L'A' + 10
                        : c >= L'a' && c <= L'f' ? c - L'a' + 10
                                                 : -1;
            if (digit < 0)
                break;
            value = (LANGID)(value << 4 | digit);
        }
        if (digits == 4 && id[4] == L'\0')
            wanted[count++] = value;
        while (*id != L'\0')
            id++;
    }
    return count;
}
} // namespace

int Players_Languages(LANGID display, LANGID (&wanted)[max_wanted])
{
    if (display != custom_ui_default) {
        wanted[0] = display;
        return 1;
    }
    // A language interface pack: the preferred languages, then the
    // language of the user's locale.
    int count = Preferred_Languages(wanted, 0);
    wanted[count++] = GetUserDefaultLangID();
    return count;
}

const Language *Language_Among(const Language *list, int count, LANGID wanted, UINT shown)
{
    const Language *same_script = nullptr;

    for (int i = 0; i < count; i++) {
        const Language &candidate = list[i];
        if (shown && candidate.code_page != shown)
            continue;
        if (candidate.id == wanted)
            return &candidate;
        // Of several of the language's, its default form first (German of
        // Germany for Austrian German), else the edition's first.
        if (Script_Group(candidate.id) == Script_Group(wanted) &&
            (!same_script || (SUBLANGID(candidate.id) == SUBLANG_DEFAULT &&
                              SUBLANGID(same_script->id) != SUBLANG_DEFAULT)))
            same_script = &candidate;
    }
    return same_script;
}

const char *Text(Text_Id id)
{
    const char *text = edition_texts + language->texts;
    for (int skipped = 0; skipped < id; skipped++)
        text += lstrlenA(text) + 1;
    return text;
}

void Choose_Language()
{
    LANGID wanted[max_wanted];
    // Windows 95 to ME show only texts in their own ANSI code page, for
    // their windows take no other; Windows NT shows any (0 stands for all).
    UINT shown = Unicode_Windows() ? 0 : GetACP();

    int count = Players_Languages(Display_Language(), wanted);
    for (int i = 0; i < count; i++) {
        const Language *found = Language_Among(languages, language_count, wanted[i], shown);
        if (found) {
            language = found;
            return;
        }
    }
    // Else the edition's first language, its default.
    language = languages;
}
