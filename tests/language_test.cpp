// The choice of the run's language among an edition's, with the player's
// languages as Windows gives them.
#include "launcher/language.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// An edition's language of `id`, in the code page `code_page`.
Language In(LANGID id, WORD code_page)
{
    return Language{id, code_page, 0, 0};
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
    struct {
        LANGID display;
        std::vector<LANGID> wanted;
    } rows[] = {
        {0x0415, {0x0415}},
        {0x1400, {0x0409, 0x0409}},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.display);
        LANGID wanted[max_wanted];
        int count = Players_Languages(row.display, wanted);
        EXPECT_EQ(row.wanted, std::vector<LANGID>(wanted, wanted + count));
    }
}
} // namespace
