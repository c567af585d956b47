// The choice of the run's language among an edition's, with the player's
// languages as Windows gives them.
#include "launcher/language.h"
#include "launcher/face.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// An edition's language of `id`, in the code page `code_page`.
Language In(LANGID id, WORD code_page)
{
    return Language{id, code_page, 0, 0, "", 0, 0};
}

const Language english = In(0x0409, 1252);

TEST(LanguageTest, TheSameLanguageInTheSameScriptElseNone)
{
    struct {
        const char *how;
        LANGID wanted;
        std::vector<Language> edition; // the default first
        UINT shown;                    // Windows 95 to ME: their code page
        LANGID chosen;                 // 0: none, so the default
    } rows[] = {
        {"Croatian, and Serbian in Cyrillic", 0x041A, {english, In(0x0C1A, 1251)}, 0, 0},
        {"Serbian in Cyrillic, and Croatian", 0x0C1A, {english, In(0x041A, 1250)}, 0, 0},
        {"Serbian of Serbia in Cyrillic",
         0x281A,
         {english, In(0x041A, 1250), In(0x081A, 1250), In(0x0C1A, 1251)},
         0,
         0x0C1A},
        {"Azeri in Cyrillic, and in Latin", 0x082C, {english, In(0x042C, 1254)}, 0, 0},
        {"Chinese of Hong Kong", 0x0C04, {english, In(0x0804, 936), In(0x0404, 950)}, 0, 0x0404},
        // Of several of the language's, its default form.
        {"Austrian German", 0x0C07, {english, In(0x0807, 1252), In(0x0407, 1252)}, 0, 0x0407},
        {"Swiss German, which the edition has",
         0x0807,
         {english, In(0x0407, 1252), In(0x0807, 1252)},
         0,
         0x0807},
        {"Austrian German, and Swiss German alone", 0x0C07, {english, In(0x0807, 1252)}, 0, 0x0807},
        // Neutral ids stand for a script of their own language; Inuktitut
        // and Tamazight are written in two scripts and more.
        {"Serbian, neutral, and Serbian in Latin and in Cyrillic",
         0x7C1A,
         {english, In(0x0C1A, 1251), In(0x081A, 1250)},
         0,
         0x081A},
        {"Inuktitut in Latin, and in its syllabics", 0x085D, {english, In(0x045D, 1252)}, 0, 0},
        {"Tamazight in Tifinagh, and in Latin", 0x105F, {english, In(0x085F, 1252)}, 0, 0},
        // Windows 95 to ME show their own code page's letters alone.
        {"Polish on a Western Windows 98", 0x0415, {english, In(0x0415, 1250)}, 1252, 0},
        {"Polish on a Polish Windows 98", 0x0415, {english, In(0x0415, 1250)}, 1250, 0x0415},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        const Language *chosen =
            Language_Among(row.edition.data(), (int)row.edition.size(), row.wanted, row.shown);
        EXPECT_EQ(row.chosen, chosen ? chosen->id : 0);
    }
}

// A language interface pack's display language (LOCALE_CUSTOM_UI_DEFAULT)
// stands for the user's preferred display languages, then the user's
// locale's language: under this run's locale, English (United States).
TEST(LanguageTest, AnInterfacePacksLanguageIsTheUsersPreferred)
{
    ASSERT_EQ(0x0409, GetUserDefaultUILanguage()) << "LC_ALL=C.UTF-8 gives English";
    ASSERT_EQ(0x0409, GetUserDefaultLangID());
    // Twenty preferred languages: the first fifteen, and the locale's
    // language keeps the last place of the sixteen looked at.
    std::wstring twenty;
    std::vector<LANGID> fifteen;
    for (LANGID id = 0x0401; id <= 0x0414; id++) {
        wchar_t hex[8];
        wsprintfW(hex, L"%04X", id);
        twenty += hex;
        twenty += L'\0';
        if (fifteen.size() < 15)
            fifteen.push_back(id);
    }
    fifteen.push_back(0x0409);
    struct {
        LANGID display;
        const wchar_t *preferred; // as Windows lists them
        std::vector<LANGID> wanted;
    } rows[] = {
        {0x0415, nullptr, {0x0415}},
        {0x1400, L"0409\0", {0x0409, 0x0409}},
        {0x1400, nullptr, {0x0409}},
        {0x1400,
         L"0415\0"
         L"zz15\0"
         L"041\0"
         L"0C0A\0",
         {0x0415, 0x0C0A, 0x0409}},
        {0x1400, twenty.c_str(), fifteen},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.display);
        LANGID wanted[max_wanted];
        int count = Players_Languages(row.display, row.preferred, wanted);
        EXPECT_EQ(row.wanted, std::vector<LANGID>(wanted, wanted + count));
    }
}

// Windows' own fallbacks for the display language (Vista on), as
// GetThreadPreferredUILanguages lists them with MUI_MERGE_USER_FALLBACK and
// MUI_MERGE_SYSTEM_FALLBACK: a Catalan language interface pack falls back
// to Spanish, then the system's English. Wine lists no fallbacks of its
// own, so the rows give the lists. Every language here can be shown on this
// Western Windows.
TEST(LanguageTest, WindowsFallbacksChooseAmongTheEditions)
{
    ASSERT_EQ(1252u, GetACP()) << "LC_ALL=C.UTF-8 gives code page 1252";
    const Language spanish = In(0x0C0A, 1252), german = In(0x0407, 1252);
    struct {
        const char *how;
        const wchar_t *list;
        std::vector<Language> edition; // the default first
        LANGID chosen;
    } rows[] = {
        {"Catalan, then Spanish",
         L"0403\0"
         L"0C0A\0"
         L"0409\0",
         {english, spanish},
         0x0C0A},
        {"Catalan, then Spanish, on a German disc",
         L"0403\0"
         L"0C0A\0"
         L"0409\0",
         {german, english},
         0x0409},
        {"none the disc has: its default",
         L"0403\0"
         L"0C0A\0",
         {german, english},
         0x0407},
        {"Austrian German: German", L"0C07\0", {english, german}, 0x0407},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        LANGID wanted[max_wanted];
        int count = Parse_Languages(row.list, wanted, 0, max_wanted);
        const Language *chosen =
            Language_For(wanted, count, row.edition.data(), (int)row.edition.size());
        EXPECT_EQ(row.chosen, chosen->id);
    }
}

// The face the window's controls are drawn in, checked by its letters on
// this Western Windows with Wine's own fonts alone: the template's "MS Sans
// Serif" (its code page 1252 variant) where it has every letter, Tahoma
// where it lacks some, and none where no face here has them (Wine's
// Tahoma has no Greek or Thai): that language is not shown.
TEST(LanguageTest, AFaceWithEveryLetterOrNone)
{
    ASSERT_EQ(1252u, GetACP()) << "LC_ALL=C.UTF-8 gives code page 1252";
    struct {
        const char *how;
        Language language;
        const char *line;
        int shown;
        std::string face; // "": the template's
        int points = 0;   // 0: the template's size
    } rows[] = {
        {"English at home", In(0x0409, 1252), "Insert the disc, then choose.", 1, ""},
        {"German at home", In(0x0407, 1252), u8"Tidewater-CD einlegen, dann w\u00E4hlen.", 1, ""},
        {"Polish abroad",
         {0x0415, 1250, EASTEUROPE_CHARSET, 0, "", 0, 0},
         u8"W\u0142\u00F3\u017C p\u0142yt\u0119.",
         1,
         "Tahoma"},
        {"Russian abroad",
         {0x0419, 1251, RUSSIAN_CHARSET, 0, "", 0, 0},
         u8"\u0412\u0441\u0442\u0430\u0432\u044C\u0442\u0435 \u0434\u0438\u0441\u043A.",
         1,
         "Tahoma"},
        {"Greek abroad, which no face here has",
         {0x0408, 1253, GREEK_CHARSET, 0, "", 0, 0},
         u8"\u0395\u03B9\u03C3\u03AC\u03B3\u03B5\u03C4\u03B5.",
         0,
         ""},
        // Marlett has no Central European character set: Windows gives
        // another face for it, which has the letters, at the size asked.
        {"a face of the language's own without its character set",
         {0x0415, 1250, EASTEUROPE_CHARSET, 0, "Marlett", 9, 0},
         u8"W\u0142\u00F3\u017C.",
         1,
         "Tahoma",
         9},
        {"a face of the language's own that has its letters, at its own size",
         {0x0415, 1250, EASTEUROPE_CHARSET, 0, "Tahoma", 9, 0},
         u8"W\u0142\u00F3\u017C.",
         1,
         "Tahoma",
         9},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        const char *texts[control_text_count] = {row.line, "Play", "Continue", "Install", "Quit"};
        Face face;
        EXPECT_EQ(row.shown,
                  Choose_Face(row.language, "MS Sans Serif", texts, control_text_count, face));
        if (row.shown) {
            EXPECT_EQ(row.face, face.name);
            EXPECT_EQ(row.points, face.points);
        }
    }
}
} // namespace
