// The language the launcher speaks: the player's, where the edition has it.
#include "launcher/language.h"
#include "base/system.h"
#include "base/text.h"
#include "launcher/face.h"
#include "launcher/launcher.h"

#include <iterator>

const Language *language;

namespace
{
typedef LANGID(WINAPI *Ui_Language)(void);
typedef BOOL(WINAPI *Preferred_Ui_Languages)(DWORD, PULONG, PZZWSTR, PULONG);
typedef BOOL(WINAPI *Valid_Language_Group)(LGRPID, DWORD);

// What Windows Vista to 11 answer for the display language when it comes
// from a language interface pack: the user's preferred languages then say
// which.
const LANGID custom_ui_default = 0x1400;
// GetUserPreferredUILanguages and GetThreadPreferredUILanguages give the
// languages as ids in hex; the latter adds, when asked, the languages
// Windows itself falls back to for the user's (a language interface pack's
// parent: Spanish for Catalan) and for the system's.
const DWORD mui_language_id = 0x4;
const DWORD mui_merge_fallbacks = 0x10 | 0x20;
// Room for some 50 languages, four hex digits and a terminator each.
const int list_size = 256;

// The language group of each code page's letters, which Windows 2000 and XP
// install only when asked (complex scripts, East Asian languages).
const struct {
    WORD code_page;
    BYTE group;
} language_groups[] = {
    {1252, 1}, {1250, 2}, {1257, 3}, {1253, 4}, {1251, 5},  {1254, 6},  {932, 7},
    {949, 8},  {950, 9},  {936, 10}, {874, 11}, {1255, 12}, {1256, 13}, {1258, 14},
};

// The languages whose primary language id Windows writes in more than one
// script (Chinese, Azeri, Uzbek, Mongolian, Inuktitut, Tamazight), or that
// stands for several languages (0x1A: Croatian, Serbian and Bosnian), each
// with its language and script: a high byte of its own over the primary
// language. Windows falls back from a language to its parent, never to
// another script.
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
    // Cyrillic. The neutral ids of Serbian and Bosnian stand for Latin.
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
    {0x7C1A, 0x021A},
    {0x141A, 0x041A},
    {0x681A, 0x041A},
    {0x781A, 0x041A},
    {0x201A, 0x051A},
    {0x641A, 0x051A},
    // Azeri, Uzbek and Mongolian: Latin (Mongolian: Cyrillic), then Cyrillic
    // (Mongolian: its own script); the neutral ids stand for the first.
    {0x002C, 0x012C},
    {0x042C, 0x012C},
    {0x782C, 0x012C},
    {0x082C, 0x022C},
    {0x742C, 0x022C},
    {0x0043, 0x0143},
    {0x0443, 0x0143},
    {0x7C43, 0x0143},
    {0x0843, 0x0243},
    {0x7843, 0x0243},
    {0x0050, 0x0150},
    {0x0450, 0x0150},
    {0x7850, 0x0150},
    {0x0850, 0x0250},
    {0x0C50, 0x0250},
    {0x7C50, 0x0250},
    // Inuktitut: in its syllabics, then in Latin; Tamazight: in Arabic, in
    // Latin, in Tifinagh. The neutral ids stand for the Latin forms.
    {0x045D, 0x015D},
    {0x785D, 0x015D},
    {0x005D, 0x025D},
    {0x085D, 0x025D},
    {0x7C5D, 0x025D},
    {0x045F, 0x015F},
    {0x005F, 0x025F},
    {0x085F, 0x025F},
    {0x7C5F, 0x025F},
    {0x105F, 0x035F},
    {0x785F, 0x035F},
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

// The display languages that Windows' function `name` (Vista on) gives
// with `flags`, as Windows lists them, into `list`; null where there is none.
const WCHAR *Ui_Languages(const char *name, DWORD flags, WCHAR (&list)[list_size])
{
    ULONG languages = 0, size = list_size;

    auto preferred = System_Function<Preferred_Ui_Languages>("kernel32.dll", name);
    return preferred && preferred(mui_language_id | flags, &languages, list, &size) ? list
                                                                                    : nullptr;
}

// The language group that has `code_page`'s letters; 0 for none known.
LGRPID Language_Group(WORD code_page)
{
    for (auto &group : language_groups)
        if (group.code_page == code_page)
            return group.group;
    return 0;
}
} // namespace

int Parse_Languages(const WCHAR *list, LANGID *wanted, int count, int most)
{
    // "0409\0" "0415\0" ... "\0": four hex digits each.
    for (const WCHAR *id = list; *id != L'\0' && count < most; id++) {
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

int Players_Languages(LANGID display, const WCHAR *preferred, LANGID (&wanted)[max_wanted])
{
    if (display != custom_ui_default) {
        wanted[0] = display;
        return 1;
    }
    // A language interface pack: the preferred languages, then the
    // language of the user's locale, which keeps the last place.
    int count = preferred ? Parse_Languages(preferred, wanted, 0, max_wanted - 1) : 0;
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

#define WINDOW_TEXT(id, name) {id, text_##name},
const Window_Text window_texts[] = {LAUNCHER_WINDOW(WINDOW_TEXT)};
#undef WINDOW_TEXT

const char *Text_Of(const Language &speaking, Text_Id id)
{
    const char *text = edition_texts + (Unicode_Windows() ? speaking.texts : speaking.ansi_texts);
    for (int skipped = 0; skipped < id; skipped++)
        text += lstrlenA(text) + 1;
    return text;
}

const char *Text(Text_Id id)
{
    return Text_Of(*language, id);
}

void Control_Texts(const Language &speaking, const char *(&texts)[control_text_count])
{
    int count = 0;
    for (auto &control : window_texts)
        if (control.id && count < control_text_count)
            texts[count++] = Text_Of(speaking, control.text);
}

int Right_To_Left(const Language &speaking)
{
    return speaking.code_page == 1255 || speaking.code_page == 1256;
}

int Can_Mirror()
{
    // Windows NT 4.0 does not mirror; Windows 98 and ME do where they are
    // Hebrew- or Arabic-enabled.
    return Unicode_Windows() ? Windows_2000_On() : GetSystemMetrics(SM_MIDEASTENABLED) != 0;
}

int Can_Show(const Language &speaking)
{
    const char *texts[control_text_count];
    Face face;

    if (Right_To_Left(speaking) && !Can_Mirror())
        return 0;
    if (!Unicode_Windows())
        return speaking.code_page == GetACP();
    // Windows 2000 and later; where the function is missing (NT 4.0) every
    // group counts as there.
    auto valid = System_Function<Valid_Language_Group>("kernel32.dll", "IsValidLanguageGroup");
    if (valid && !valid(Language_Group(speaking.code_page), LGRPID_INSTALLED))
        return 0;
    Control_Texts(speaking, texts);
    return Choose_Face(speaking, template_face, texts, control_text_count, face);
}

const Language *Language_For(const LANGID *wanted, int wanted_count, const Language *list,
                             int count)
{
    // Windows 95 to ME show only texts in their own ANSI code page, for
    // their windows take no other; Windows NT shows any (0 stands for all)
    // that it has the letters of.
    UINT shown = Unicode_Windows() ? 0 : GetACP();

    for (int i = 0; i < wanted_count; i++) {
        const Language *found = Language_Among(list, count, wanted[i], shown);
        if (found && Can_Show(*found))
            return found;
    }
    // Else the edition's first language, its default, or the first after
    // it that this Windows can show.
    for (int i = 0; i < count; i++)
        if (Can_Show(list[i]))
            return &list[i];
    return list;
}

void Choose_Language()
{
    LANGID wanted[max_wanted];
    WCHAR list[list_size];

    // Vista on: the thread's languages with Windows' own fallbacks.
    const WCHAR *thread = Ui_Languages("GetThreadPreferredUILanguages", mui_merge_fallbacks, list);
    int count = thread ? Parse_Languages(thread, wanted, 0, max_wanted) : 0;
    if (count == 0) {
        LANGID display = Display_Language();
        const WCHAR *preferred = display == custom_ui_default
                                     ? Ui_Languages("GetUserPreferredUILanguages", 0, list)
                                     : nullptr;
        count = Players_Languages(display, preferred, wanted);
    }
    language = Language_For(wanted, count, languages, language_count);
}
