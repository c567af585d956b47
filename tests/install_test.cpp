// The first run and the Install button, end to end: install.exe started from
// E:\, the stand-in as installer, sound setup and game. Most cases run
// install_fast.exe, whose record polls pause 10 ms instead of 1 s.
#include "support/game_cd.h"
#include "support/launcher_driver.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace
{
using InstallTest = FlowTest;

// Runs `command` and waits for it to end.
void Run_And_Wait(const char *command, const Caller & = {})
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    std::string line = command;
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &child))
        << command;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, 60000)) << command;
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
}

// Another edition of install.exe (editions/), and what it must show and do
// under one code page and UI language.
struct Edition {
    const char *program;     // built into a folder of its own
    UINT code_page;          // the Windows it runs on: its ANSI code page
    LANGID ui_language;      // and its display language
    const char *company_key; // deleted before and after
    const char *created_key; // the key its first run creates
    const char *record_key;  // where its installer writes the record
    const char *programs[3]; // installer, sound setup (or none), game
    const char *roles[3];    // what the stand-in logs of each
    const char *sound_line;  // the sound setup's command line
    Texts window;            // caption, then the controls in template order
    const char *warning[2];  // caption and text after the game is missing
    // Another version's record, which the Install button leaves, or none.
    const char *other_version = nullptr;
    // The font the controls draw their texts in: the dialog's, unless the
    // Windows' code page lacks a letter of them.
    ControlFont font = {nullptr, 0};
    int dpi = 96;    // the dots per inch the Windows draws at
    int windows = 0; // 98: Windows 98 as Wine reports it; 0: Windows NT
    // The window mirrored, as for a language read right to left.
    bool mirrored = false;
};

// clang-format off
const Edition english = {
    "english\\install.exe", 1252, 0x0409, "Software\\Marrowgate Studios", "Software\\Marrowgate Studios",
    "Software\\Marrowgate Studios\\Tidewater\\2.1",
    {"TWSETUP.EXE", "TWSOUND.EXE", "TIDEWATR.BAT"}, {"TWSETUP", "TWSOUND", "GAME"}, "TWSOUND.EXE -disc:E",
    {"Tidewater", "Play", "Quit", "Insert the Tidewater disc, then choose.", "Continue", "Install"},
    {"Tidewater Setup", "Tidewater could not be started (error 1)."}};
// Its key's product is outside ASCII: found, and deleted by the Install
// button, by its Unicode name under any code page.
const Edition polish = {
    "polish\\install.exe", 1250, 0x0415, company_key, u8"Software\\Halvaro\\\u0141owcy cieni",
    u8"Software\\Halvaro\\\u0141owcy cieni\\Z\u0142ota edycja 1.0",
    {"setup.exe", "Setsound.exe", "vexmoor.bat"}, {"SETUP", "SETSOUND", "GAME"}, "Setsound.exe /DE",
    {u8"Vexmoor: \u0141owcy cieni", "Graj", u8"Zako\u0144cz",
     u8"P\u0142yta z gr\u0105 jest w nap\u0119dzie CD-ROM.", "Kontynuuj", "Zainstaluj"},
    {"Instalacja", u8"B\u0142\u0105d uruchomienia gry 1"}, u8"Software\\Halvaro\\\u0141owcy cieni\\Z\u0142ota edycja 2.0"};
// The English launcher signed (tests/check_disc.sh --sign).
const Edition english_signed = [] {
    Edition edition = english;
    edition.program = "english-signed\\install.exe";
    return edition;
}();
// The European disc (editions/europe.edition): English first, then German,
// French, Spanish and Polish, and no sound setup.
const Edition europe = {
    "europe\\install.exe", 1252, 0x0409, "Software\\Marrowgate Studios", "Software\\Marrowgate Studios",
    "Software\\Marrowgate Studios\\Tidewater\\2.1",
    {"TWSETUP.EXE", nullptr, "TIDEWATR.BAT"}, {"TWSETUP", nullptr, "GAME"}, nullptr,
    {"Tidewater", "Play", "Quit", "Insert the Tidewater disc, then choose.", "Continue", "Install"},
    {"Tidewater Setup", "Tidewater could not be started (error 1)."}};
// A language's warning after the game is missing: its caption and text.
struct Said {
    const char *caption, *text;
};
Edition In_Language(UINT code_page, LANGID ui_language, const Texts &window, Said said,
                    const Edition &edition = europe, ControlFont font = {nullptr, 0},
                    int dpi = 96)
{
    Edition speaking = edition;
    speaking.code_page = code_page;
    speaking.ui_language = ui_language;
    if (!window.empty())
        speaking.window = window;
    if (said.caption) {
        speaking.warning[0] = said.caption;
        speaking.warning[1] = said.text;
    }
    speaking.font = font;
    speaking.dpi = dpi;
    return speaking;
}
// Polish letters on a Windows that lacks them: Tahoma, in Central Europe's
// character set; German on a Cyrillic one, in Western Europe's.
const ControlFont polish_letters = {"Tahoma", EASTEUROPE_CHARSET};
const ControlFont german_letters = {"Tahoma", ANSI_CHARSET};
const Edition europe_german = In_Language(1252, 0x0407,
    {"Tidewater", "Spielen", "Beenden", u8"Tidewater-CD einlegen, dann w\u00E4hlen.", "Fortsetzen", "Installieren"},
    {"Tidewater-Installation", "Tidewater konnte nicht gestartet werden (Fehler 1)."});
// Austrian German, which the disc lacks: German, of the same primary language.
const Said german_said = {europe_german.warning[0], europe_german.warning[1]};
const Edition europe_austrian = In_Language(1252, 0x0C07, europe_german.window, german_said);
const Edition europe_french = In_Language(1252, 0x040C,
    {"Tidewater", "Jouer", "Quitter", u8"Ins\u00E9rez le CD Tidewater et choisissez.", "Continuer", "Installer"},
    {"Installation de Tidewater", "Impossible de lancer Tidewater (erreur 1)."});
const Edition europe_spanish = In_Language(1252, 0x0C0A,
    {"Tidewater", "Jugar", "Salir", "Inserte el CD de Tidewater y elija.", "Continuar", "Instalar"},
    {u8"Instalaci\u00F3n de Tidewater", "No se pudo iniciar Tidewater (error 1)."});
const Texts europe_polish_window = {"Tidewater", "Graj", u8"Zako\u0144cz",
    u8"W\u0142\u00F3\u017C p\u0142yt\u0119 Tidewater i wybierz.", "Kontynuuj", "Zainstaluj"};
const Said polish_said = {"Instalacja gry Tidewater",
    u8"Nie mo\u017Cna uruchomi\u0107 gry Tidewater (b\u0142\u0105d 1)."};
const Edition europe_polish = In_Language(1250, 0x0415, europe_polish_window, polish_said);
// Polish on a Western Windows: its letters outside code page 1252 read right.
const Edition europe_polish_on_1252 = In_Language(1252, 0x0415, europe_polish_window,
                                                  polish_said, europe, polish_letters);
// German on a Cyrillic Windows, which lacks its "\u00E4".
const Edition europe_german_on_1251 = In_Language(1251, 0x0407, europe_german.window,
                                                  german_said, europe, german_letters);
// English on a Central European Windows, which has all its letters.
const Edition europe_english_on_1250 = In_Language(1250, 0x0409, {}, {});
// A language the disc lacks: the default, English.
const Edition europe_russian = In_Language(1251, 0x0419, {}, {});
const Edition polish_on_1252 = In_Language(1252, 0x0415, {}, {}, polish, polish_letters);
// On Windows 98, which shows texts in its own code page alone: Polish on a
// Polish one; on a Western one, the default, English. The Polish edition
// finds its record, and reinstalls, by its key's name in code page 1250.
Edition On_Windows_98(Edition edition)
{
    edition.windows = 98;
    return edition;
}
const Edition europe_polish_98 = On_Windows_98(europe_polish);
const Edition europe_polish_on_1252_98 = On_Windows_98(In_Language(1252, 0x0415, {}, {}));
const Edition polish_98 = On_Windows_98(polish);
// At 120 dots per inch (large fonts), at home and on a Western Windows.
const Edition europe_large = In_Language(1252, 0x0409, {}, {}, europe, {nullptr, 0}, 120);
const Edition europe_polish_on_1252_large = In_Language(1252, 0x0415, europe_polish_window,
    polish_said, europe, polish_letters, 120);
// The European disc with Russian, Czech and Greek besides: Russian on a
// Greek Windows and Czech on a Western one, in Tahoma, which has their
// letters; Greek on a Western one, which no face of the tests' Wine has
// (Wine's Tahoma lacks Greek): the next language, English.
const Edition eastern = [] {
    Edition edition = europe;
    edition.program = "eastern\\install.exe";
    return edition;
}();
const Edition eastern_russian_on_1253 = In_Language(1253, 0x0419,
    {"Tidewater", u8"\u0418\u0433\u0440\u0430\u0442\u044C", u8"\u0412\u044B\u0445\u043E\u0434",
     u8"\u0412\u0441\u0442\u0430\u0432\u044C\u0442\u0435 \u0434\u0438\u0441\u043A Tidewater \u0438 \u0432\u044B\u0431\u0435\u0440\u0438\u0442\u0435.",
     u8"\u041F\u0440\u043E\u0434\u043E\u043B\u0436\u0438\u0442\u044C", u8"\u0423\u0441\u0442\u0430\u043D\u043E\u0432\u0438\u0442\u044C"},
    {u8"\u0423\u0441\u0442\u0430\u043D\u043E\u0432\u043A\u0430 Tidewater",
     u8"\u041D\u0435 \u0443\u0434\u0430\u043B\u043E\u0441\u044C \u0437\u0430\u043F\u0443\u0441\u0442\u0438\u0442\u044C Tidewater (\u043E\u0448\u0438\u0431\u043A\u0430 1)."},
    eastern, {"Tahoma", RUSSIAN_CHARSET});
const Edition eastern_czech_on_1252 = In_Language(1252, 0x0405,
    {"Tidewater", u8"Hr\u00E1t", "Konec", u8"Vlo\u017Ete disk Tidewater a vyberte.",
     u8"Pokra\u010Dovat", "Instalovat"},
    {"Instalace hry Tidewater", "Hru Tidewater nelze spustit (chyba 1)."},
    eastern, {"Tahoma", EASTEUROPE_CHARSET});
const Edition eastern_greek_on_1252 = In_Language(1252, 0x0408, {}, {}, eastern);
// And at 120 dots per inch.
Edition Large(Edition edition)
{
    edition.dpi = 120;
    return edition;
}
const Edition eastern_russian_on_1253_large = Large(eastern_russian_on_1253);
const Edition eastern_czech_on_1252_large = Large(eastern_czech_on_1252);
// Thai, whose marks above and below its letters stay within the line, on a
// Thai and on a Western Windows in Tahoma, which has its letters (in the
// tests' session for other scripts, Wine gives Loma for it; Wine's own "MS
// Sans Serif" has placeholders for them, which that session leaves out).
const Texts thai_window = {"Tidewater", u8"\u0E40\u0E25\u0E48\u0E19", u8"\u0E2D\u0E2D\u0E01",
    u8"\u0E43\u0E2A\u0E48\u0E41\u0E1C\u0E48\u0E19\u0E14\u0E34\u0E2A\u0E01\u0E4C Tidewater \u0E41\u0E25\u0E49\u0E27\u0E01\u0E14\u0E1B\u0E38\u0E48\u0E21\u0E17\u0E35\u0E48\u0E15\u0E49\u0E2D\u0E07\u0E01\u0E32\u0E23",
    u8"\u0E40\u0E25\u0E48\u0E19\u0E15\u0E48\u0E2D", u8"\u0E15\u0E34\u0E14\u0E15\u0E31\u0E49\u0E07"};
const Said thai_said = {u8"\u0E01\u0E32\u0E23\u0E15\u0E34\u0E14\u0E15\u0E31\u0E49\u0E07 Tidewater",
    u8"\u0E44\u0E21\u0E48\u0E2A\u0E32\u0E21\u0E32\u0E23\u0E16\u0E40\u0E23\u0E34\u0E48\u0E21 Tidewater \u0E44\u0E14\u0E49 (\u0E02\u0E49\u0E2D\u0E1C\u0E34\u0E14\u0E1E\u0E25\u0E32\u0E14 1)"};
const Edition eastern_thai = In_Language(874, 0x041E, thai_window, thai_said, eastern,
    {"Tahoma", THAI_CHARSET});
const Edition eastern_thai_on_1252 = In_Language(1252, 0x041E, thai_window, thai_said, eastern,
    {"Tahoma", THAI_CHARSET});
// Vietnamese as typed on Windows NT, in its own face (its part's
// font_name, Microsoft Sans Serif); on Windows 98 as code page
// 1258 writes it, with a combining mark where it lacks a letter whole.
const Edition eastern_vietnamese = In_Language(1258, 0x042A,
    {"Tidewater", u8"Ch\u01A1i", u8"Tho\u00E1t",
     u8"H\u00E3y \u0111\u01B0a \u0111\u0129a Tidewater v\u00E0o r\u1ED3i ch\u1ECDn.",
     u8"Ti\u1EBFp t\u1EE5c", u8"C\u00E0i \u0111\u1EB7t"},
    {u8"C\u00E0i \u0111\u1EB7t Tidewater",
     u8"Kh\u00F4ng th\u1EC3 kh\u1EDFi \u0111\u1ED9ng Tidewater (l\u1ED7i 1)."},
    eastern, {"Microsoft Sans Serif", VIETNAMESE_CHARSET});
const Edition eastern_vietnamese_98 = On_Windows_98(In_Language(1258, 0x042A,
    {"Tidewater", u8"Ch\u01A1i", u8"Tho\u00E1t",
     u8"Ha\u0303y \u0111\u01B0a \u0111i\u0303a Tidewater v\u00E0o r\u00F4\u0300i cho\u0323n.",
     u8"Ti\u00EA\u0301p tu\u0323c", u8"C\u00E0i \u0111\u0103\u0323t"},
    {u8"C\u00E0i \u0111\u0103\u0323t Tidewater",
     u8"Kh\u00F4ng th\u00EA\u0309 kh\u01A1\u0309i \u0111\u00F4\u0323ng Tidewater (l\u00F4\u0303i 1)."},
    eastern));
// The East Asian disc (editions/eastasia.edition): Japanese, the default,
// then Simplified Chinese, Traditional Chinese, Korean and English. Each on
// a Windows of its own code page and on a Western one, in the face that
// has its letters: a dialog face of its own (which the tests' session with
// the fonts of other scripts has under its Windows name).
const Edition eastasia = [] {
    Edition edition = europe;
    edition.program = "eastasia\\install.exe";
    edition.code_page = 932;
    edition.ui_language = 0x0411;
    edition.window = {"Tidewater", u8"\u30D7\u30EC\u30A4", u8"\u7D42\u4E86",
        u8"Tidewater \u306E\u30C7\u30A3\u30B9\u30AF\u3092\u5165\u308C\u3066\u3001\u9078\u3093\u3067\u304F\u3060\u3055\u3044\u3002",
        u8"\u7D9A\u3051\u308B", u8"\u30A4\u30F3\u30B9\u30C8\u30FC\u30EB"};
    edition.warning[0] = u8"Tidewater \u30BB\u30C3\u30C8\u30A2\u30C3\u30D7";
    edition.warning[1] = u8"Tidewater \u3092\u8D77\u52D5\u3067\u304D\u307E\u305B\u3093\u3067\u3057\u305F (\u30A8\u30E9\u30FC 1)\u3002";
    edition.font = {"MS UI Gothic", SHIFTJIS_CHARSET};
    return edition;
}();
const Edition eastasia_on_1252 = In_Language(1252, 0x0411, eastasia.window,
    {eastasia.warning[0], eastasia.warning[1]}, eastasia, eastasia.font);
const Texts simplified_window = {"Tidewater", u8"\u5F00\u59CB\u6E38\u620F", u8"\u9000\u51FA",
    u8"\u8BF7\u63D2\u5165 Tidewater \u5149\u76D8\uFF0C\u7136\u540E\u9009\u62E9\u3002",
    u8"\u7EE7\u7EED", u8"\u5B89\u88C5"};
const Said simplified_said = {u8"Tidewater \u5B89\u88C5\u7A0B\u5E8F",
    u8"\u65E0\u6CD5\u542F\u52A8 Tidewater (\u9519\u8BEF 1)\u3002"};
const Edition eastasia_simplified = In_Language(936, 0x0804, simplified_window, simplified_said,
    eastasia, {"SimSun", GB2312_CHARSET});
const Edition eastasia_simplified_on_1252 = In_Language(1252, 0x0804, simplified_window,
    simplified_said, eastasia, {"SimSun", GB2312_CHARSET});
const Texts traditional_window = {"Tidewater", u8"\u958B\u59CB\u904A\u6232", u8"\u7D50\u675F",
    u8"\u8ACB\u653E\u5165 Tidewater \u5149\u789F\uFF0C\u7136\u5F8C\u9078\u64C7\u3002",
    u8"\u7E7C\u7E8C", u8"\u5B89\u88DD"};
const Said traditional_said = {u8"Tidewater \u5B89\u88DD\u7A0B\u5F0F",
    u8"\u7121\u6CD5\u555F\u52D5 Tidewater (\u932F\u8AA4 1)\u3002"};
const Edition eastasia_traditional = In_Language(950, 0x0404, traditional_window,
    traditional_said, eastasia, {"PMingLiU", CHINESEBIG5_CHARSET});
const Edition eastasia_traditional_on_1252 = In_Language(1252, 0x0404, traditional_window,
    traditional_said, eastasia, {"PMingLiU", CHINESEBIG5_CHARSET});
const Texts korean_window = {"Tidewater", u8"\uAC8C\uC784 \uC2DC\uC791", u8"\uC885\uB8CC",
    u8"Tidewater \uB514\uC2A4\uD06C\uB97C \uB123\uC740 \uB2E4\uC74C \uC120\uD0DD\uD558\uC2ED\uC2DC\uC624.",
    u8"\uACC4\uC18D", u8"\uC124\uCE58"};
const Said korean_said = {u8"Tidewater \uC124\uCE58",
    u8"Tidewater\uC744(\uB97C) \uC2DC\uC791\uD560 \uC218 \uC5C6\uC2B5\uB2C8\uB2E4(\uC624\uB958 1)."};
const Edition eastasia_korean = In_Language(949, 0x0412, korean_window, korean_said, eastasia,
    {"Gulim", HANGUL_CHARSET});
const Edition eastasia_korean_on_1252 = In_Language(1252, 0x0412, korean_window, korean_said,
    eastasia, {"Gulim", HANGUL_CHARSET});
// On Windows 98, which shows its own code page's texts alone: Japanese on a
// Japanese one, by the ANSI road; English on a Western one.
const Edition eastasia_98 = On_Windows_98(eastasia);
const Edition eastasia_on_1252_98 = On_Windows_98(
    In_Language(1252, 0x0411, europe.window, {europe.warning[0], europe.warning[1]}, eastasia));
// The disc for Israel and the Arab world (editions/hebrew.edition): Hebrew,
// the default, then Arabic and English. Their windows mirrored, on a
// Windows of their code page and on a Western one in a face with their
// letters (Wine's "MS Sans Serif" has placeholders for them): Tahoma, or
// the dialog's face as Wine gives it for Arabic letters (DejaVu Sans).
Edition Mirrored(Edition edition)
{
    edition.mirrored = true;
    return edition;
}
const Texts hebrew_window = {"Tidewater", u8"\u05E9\u05D7\u05E7", u8"\u05D9\u05E6\u05D9\u05D0\u05D4",
    u8"\u05D4\u05DB\u05E0\u05E1 \u05D0\u05EA \u05D4\u05EA\u05E7\u05DC\u05D9\u05D8\u05D5\u05E8 \u05E9\u05DC Tidewater \u05D5\u05D1\u05D7\u05E8.",
    u8"\u05D4\u05DE\u05E9\u05DA", u8"\u05D4\u05EA\u05E7\u05DF"};
const Said hebrew_said = {u8"\u05D4\u05EA\u05E7\u05E0\u05EA Tidewater",
    u8"\u05DC\u05D0 \u05E0\u05D9\u05EA\u05DF \u05DC\u05D4\u05E4\u05E2\u05D9\u05DC \u05D0\u05EA Tidewater (\u05E9\u05D2\u05D9\u05D0\u05D4 1)."};
const Edition hebrew = [] {
    Edition edition = In_Language(1255, 0x040D, hebrew_window, hebrew_said, europe,
                                  {"Tahoma", HEBREW_CHARSET});
    edition.program = "hebrew\\install.exe";
    edition.mirrored = true;
    return edition;
}();
const Edition hebrew_on_1252 = Mirrored(In_Language(1252, 0x040D, hebrew_window, hebrew_said,
    hebrew, {"Tahoma", HEBREW_CHARSET}));
const Texts arabic_window = {"Tidewater", u8"\u062A\u0634\u063A\u064A\u0644", u8"\u062E\u0631\u0648\u062C",
    u8"\u0623\u062F\u062E\u0644 \u0642\u0631\u0635 Tidewater \u062B\u0645 \u0627\u062E\u062A\u0631.",
    u8"\u0645\u062A\u0627\u0628\u0639\u0629", u8"\u062A\u062B\u0628\u064A\u062A"};
const Said arabic_said = {u8"\u0625\u0639\u062F\u0627\u062F Tidewater",
    u8"\u062A\u0639\u0630\u0631 \u062A\u0634\u063A\u064A\u0644 Tidewater (\u062E\u0637\u0623 1)."};
const Edition hebrew_arabic = Mirrored(In_Language(1256, 0x0401, arabic_window, arabic_said,
                                                   hebrew));
const Edition hebrew_arabic_on_1252 = Mirrored(In_Language(1252, 0x0401, arabic_window,
    arabic_said, hebrew, {"Tahoma", ARABIC_CHARSET}));
// A game folder of 130 Japanese letters: 260 bytes in code page 932 and the
// drive's 3 besides, more than an ANSI reading of the record holds. "\u30BD"
// is 0x83 0x5C there, its second byte a backslash.
const char japanese_folder[] =
    u8"G:\\\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240\u904A\u622F\u30BD\u30D5\u30C8\u306E\u4FDD\u5B58\u5834\u6240";
const std::string japanese_record = std::string("record=") + japanese_folder;
// English on a Windows whose ANSI code page is UTF-8 (65001): the
// template's face, which has every letter, as at home.
const Edition english_on_65001 = In_Language(65001, 0x0409, {}, {}, english);
// The rows without another edition.
const Edition vexmoor = {
    "install.exe", 1252, 0x0409, company_key, product_key, record_key,
    {"setup.exe", "Setsound.exe", "vexmoor.bat"}, {"SETUP", "SETSOUND", "GAME"}, "Setsound.exe /DE",
    {}, {}};
// clang-format on

// The edition's window, once it is installed: its texts, read as Unicode,
// each fitting its control in the font the edition's letters need, in
// which the screen shows the line whole; a German Vexmoor launcher started
// beside it runs; the edition's second start brings its own window forward,
// not the German one, whatever its caption; and a missing game gives its
// warning, which a second start brings forward too.
void Check_Edition_Window(const Edition &edition, ChildLog &log, const Caller & = {})
{
    WriteText(record_key, "folder", game_folder);
    MakeFolders("E:\\GERMAN");
    ASSERT_TRUE(
        CopyFileA((ProgramFolder() + "install.exe").c_str(), "E:\\GERMAN\\install.exe", FALSE));
    LauncherRun run(edition.program);
    HWND window = run.VisibleWindow();
    ASSERT_TRUE(window);
    Texts texts = {UnicodeTextOf(window)};
    for (const Control &control : ReadControls(window)) {
        texts.push_back(control.unicode_text);
        // A button's text stands clear of its edges; the line's must not wrap.
        int room = control.rect.right - control.rect.left - (control.id == ID_LINE ? 0 : 6);
        EXPECT_LE(TextWidth(control.unicode_text, edition.font), room) << control.unicode_text;
    }
    EXPECT_EQ(edition.window, texts);
    // Read right to left, the window is mirrored: on the screen its buttons
    // in reverse order and its line against its right edge.
    EXPECT_EQ(edition.mirrored, (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0);
    RECT frame, start, cancel, at;
    GetWindowRect(window, &frame);
    GetWindowRect(GetDlgItem(window, ID_START), &start);
    GetWindowRect(GetDlgItem(window, ID_CANCEL), &cancel);
    GetWindowRect(GetDlgItem(window, ID_LINE), &at);
    EXPECT_EQ(edition.mirrored, start.left > cancel.left);
    EXPECT_EQ(edition.mirrored, frame.right - at.right < at.left - frame.left);
    // Drawn in another face, or cut at the end of its place, the line would
    // show other ink than it has in its font.
    HWND line = GetDlgItem(window, ID_LINE);
    int ink = InkWidth(edition.window[3], edition.font);
    EXPECT_GT(ink, 0);
    EXPECT_TRUE(Poll(3000, [&] { return InkWidth(line) == ink; }))
        << "the line shows " << InkWidth(line) << " pixels of ink, not " << ink;
    // Nor would it show its marks above and below the letters (Thai's) whole.
    int ink_height = InkHeight(edition.window[3], edition.font);
    EXPECT_EQ(ink_height, InkHeight(line)) << "the line's ink is not as tall as its text's";

    LauncherRun vexmoor("E:\\GERMAN\\install.exe");
    HWND vexmoor_window = vexmoor.VisibleWindow();
    EXPECT_TRUE(vexmoor_window) << "the edition's launcher stopped Vexmoor's";
    ExpectSecondStartBringsForward(window);
    PostMessageA(vexmoor_window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0u, vexmoor.ExitCode());

    // The Install button deletes this version's record before the
    // installer starts, and leaves the other version's.
    if (edition.other_version) {
        WriteText(edition.other_version, "folder", "G:\\OTHER");
        std::string other = DumpKeys(edition.other_version);
        SetChildActions(edition.roles[0], "record=G:\\VEXMOOR");
        EXPECT_EQ(1u, run.Press(window, id_install, 1).size());
        std::vector<ChildRun> runs = log.Runs();
        auto setup = std::find_if(runs.rbegin(), runs.rend(), [&](const ChildRun &child) {
            return child.role == edition.roles[0];
        });
        ASSERT_NE(runs.rend(), setup);
        EXPECT_EQ("<none>", setup->record);
        EXPECT_EQ(other, DumpKeys(edition.other_version));
        EXPECT_NE("", DumpKeys(edition.record_key));
    }

    ASSERT_TRUE(DeleteFileA((std::string(game_folder) + "\\" + edition.programs[2]).c_str()));
    std::vector<SeenBox> boxes = run.Press(window, id_start, 1, true);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(edition.warning[0], boxes[0].unicode_caption);
    EXPECT_EQ(edition.warning[1], boxes[0].unicode_text);
    EXPECT_EQ(0u, run.ExitCode());
    DeleteFileA("E:\\GERMAN\\install.exe");
}

// install.exe looks for the record 1 s after the installer has ended, and
// again each 1 s after, and goes on 2 s after the look that found it.
// The rows run under the code page of their edition (Vexmoor's 1252), so
// CTest runs this test a second time under Polish, code page 1250. Each run
// names the code page it must have (EXPECTED_CODE_PAGE) and the locale that
// gives it (LC_ALL).
TEST_F(InstallTest, FirstRunInstallsThenPlays)
{
    char expected[8] = "", language[8] = "", locale[64] = "", messages[64] = "", dpi[8] = "96",
         windows[8] = "0";
    GetEnvironmentVariableA("EXPECTED_CODE_PAGE", expected, sizeof(expected));
    GetEnvironmentVariableA("EXPECTED_UI_LANGUAGE", language, sizeof(language));
    GetEnvironmentVariableA("EXPECTED_DPI", dpi, sizeof(dpi));
    GetEnvironmentVariableA("EXPECTED_WINDOWS", windows, sizeof(windows));
    GetEnvironmentVariableA("LC_ALL", locale, sizeof(locale));
    GetEnvironmentVariableA("LC_MESSAGES", messages, sizeof(messages));
    ASSERT_EQ(std::to_string(GetACP()), expected)
        << "LC_ALL=" << locale << " does not give this run its code page (is the locale made?)";
    char ui[8];
    wsprintfA(ui, "%04X", GetUserDefaultUILanguage());
    ASSERT_EQ(std::string(ui), language) << "LC_ALL=" << locale << " LC_MESSAGES=" << messages
                                         << " does not give this run its display language";
    HDC screen = GetDC(nullptr);
    int drawn_at = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(std::to_string(drawn_at), dpi) << "the session does not draw at its dots per inch";
    int windows_98 = std::atoi(windows) == 98;
    if (windows_98) {
        // The stand-in, as install.exe, must be told it runs on Windows 98.
        WriteKey(windows_98_key, "Version", REG_SZ, "win98", 6);
        MakeFolders("G:\\PROBE");
        PlaceStandIn("G:\\PROBE\\install.exe");
        Run_And_Wait("G:\\PROBE\\install.exe");
        ASSERT_EQ("9x", log.Only("INSTALL").windows) << "Wine does not report Windows 98";
    }
    const char uninstall[] = "msiexec /x E:\\vexmoor.msi /qn";
    struct {
        const char *how;
        const char *setup;                // the stand-in installer's actions
        const char *late;                 // a process the installer leaves behind
        const char *folder;               // where the sound setup and the game run
        const char *built = nullptr;      // an installer built for the tests instead
        const char *package = nullptr;    // a Windows Installer package put beside it
        const Edition *edition = nullptr; // another edition of install.exe
    } rows[] = {
        {"the installer writes the record", "sleep=300;record=G:\\VEXMOOR", "", game_folder},
        // While the launcher pauses between its looks for the record.
        {"a program the installer left sends to every window, then writes the record", "spawn=LATE",
         "sleep=1500;broadcast;record=G:\\VEXMOOR", game_folder},
        // Started again from the CD, the launcher must not run setup.exe
        // twice; the installer ends with the second launcher's exit code.
        {"the installer runs a second launcher", "run=E:\\install.exe;record=G:\\VEXMOOR", "",
         game_folder},
        // Game folders named outside the ANSI code page, recorded as Unicode.
        {"a folder in Polish", u8"record=G:\\\u0141\u00F3d\u017A", "", polish_folder},
        {"a folder in Chinese", u8"record=G:\\\u6E38\u620F", "", chinese_folder},
        // Installers as publishers build them (tests/installers).
        {"a silent NSIS installer", "", "", "G:\\VEXNSIS", "nsis_setup.exe"},
        // The record comes during the poll, with a trailing backslash.
        {"a setup.exe that starts msiexec on a package and ends",
         "start=msiexec /i E:\\vexmoor.msi /qn TARGETDIR=G:\\", "", "G:\\VEXMSI", nullptr,
         "vexmoor.msi"},
        // Other editions' programs, texts and records.
        {"the English edition", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &english},
        {"the Polish edition", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &polish},
        {"the English edition, signed", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &english_signed},
        {"the Polish edition on a Western Windows", "record=G:\\VEXMOOR", "", game_folder, nullptr,
         nullptr, &polish_on_1252},
        // The European disc under each of its languages, and one it lacks.
        {"the European disc in English", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &europe},
        {"the European disc in German", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &europe_german},
        {"the European disc on an Austrian Windows", "record=G:\\VEXMOOR", "", game_folder, nullptr,
         nullptr, &europe_austrian},
        {"the European disc in French", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &europe_french},
        {"the European disc in Spanish", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &europe_spanish},
        {"the European disc in Polish", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &europe_polish},
        {"the European disc in Polish on a Western Windows", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &europe_polish_on_1252},
        {"the European disc on a Russian Windows", "record=G:\\VEXMOOR", "", game_folder, nullptr,
         nullptr, &europe_russian},
        {"the European disc in German on a Russian Windows", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &europe_german_on_1251},
        {"the European disc in English on a Polish Windows", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &europe_english_on_1250},
        {"the European disc at 120 dots per inch", "record=G:\\VEXMOOR", "", game_folder, nullptr,
         nullptr, &europe_large},
        {"the European disc in Polish on a Western Windows at 120 dots per inch",
         "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &europe_polish_on_1252_large},
        {"the European disc in Polish on a Polish Windows 98", "record=G:\\VEXMOOR", "",
         game_folder, nullptr, nullptr, &europe_polish_98},
        {"the European disc on a Western Windows 98 with a Polish display language",
         "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &europe_polish_on_1252_98},
        {"the Polish edition on a Polish Windows 98", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &polish_98},
        {"the English edition on a Windows of code page 65001 (UTF-8)", "record=G:\\VEXMOOR", "",
         game_folder, nullptr, nullptr, &english_on_65001},
        {"the Eastern disc in Russian on a Greek Windows", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &eastern_russian_on_1253},
        {"the Eastern disc in Czech on a Western Windows", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &eastern_czech_on_1252},
        {"the Eastern disc in Russian on a Greek Windows at 120 dots per inch",
         "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &eastern_russian_on_1253_large},
        {"the Eastern disc in Czech on a Western Windows at 120 dots per inch",
         "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &eastern_czech_on_1252_large},
        {"the Eastern disc on a Western Windows with a Greek display language, which no face here "
         "has: English",
         "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &eastern_greek_on_1252},
        // East Asian, Hebrew and Arabic: each on a Windows of its own code
        // page and on a Western one.
        {"the East Asian disc in Japanese", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &eastasia},
        {"the East Asian disc in Japanese on a Western Windows", "record=G:\\VEXMOOR", "",
         game_folder, nullptr, nullptr, &eastasia_on_1252},
        {"the East Asian disc in Simplified Chinese", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &eastasia_simplified},
        {"the East Asian disc in Simplified Chinese on a Western Windows", "record=G:\\VEXMOOR", "",
         game_folder, nullptr, nullptr, &eastasia_simplified_on_1252},
        {"the East Asian disc in Traditional Chinese", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &eastasia_traditional},
        {"the East Asian disc in Traditional Chinese on a Western Windows", "record=G:\\VEXMOOR",
         "", game_folder, nullptr, nullptr, &eastasia_traditional_on_1252},
        {"the East Asian disc in Korean", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &eastasia_korean},
        {"the East Asian disc in Korean on a Western Windows", "record=G:\\VEXMOOR", "",
         game_folder, nullptr, nullptr, &eastasia_korean_on_1252},
        {"the East Asian disc in Japanese on a Japanese Windows 98", "record=G:\\VEXMOOR", "",
         game_folder, nullptr, nullptr, &eastasia_98},
        {"the East Asian disc on a Western Windows 98 with a Japanese display language: English",
         "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &eastasia_on_1252_98},
        // 130 letters, more than 260 bytes in code page 932: read whole by
        // its Unicode name, at the first run and at the next start.
        {"the East Asian disc in Japanese, into a folder of 130 Japanese letters",
         japanese_record.c_str(), "", japanese_folder, nullptr, nullptr, &eastasia},
        {"the Eastern disc in Thai", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &eastern_thai},
        {"the Eastern disc in Thai on a Western Windows", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &eastern_thai_on_1252},
        {"the Eastern disc in Vietnamese", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &eastern_vietnamese},
        {"the Eastern disc in Vietnamese on a Vietnamese Windows 98", "record=G:\\VEXMOOR", "",
         game_folder, nullptr, nullptr, &eastern_vietnamese_98},
        {"the Hebrew disc", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr, &hebrew},
        {"the Hebrew disc on a Western Windows", "record=G:\\VEXMOOR", "", game_folder, nullptr,
         nullptr, &hebrew_on_1252},
        {"the Hebrew disc in Arabic", "record=G:\\VEXMOOR", "", game_folder, nullptr, nullptr,
         &hebrew_arabic},
        {"the Hebrew disc in Arabic on a Western Windows", "record=G:\\VEXMOOR", "", game_folder,
         nullptr, nullptr, &hebrew_arabic_on_1252},
    };
    int rows_run = 0;
    for (auto &row : rows) {
        const Edition &edition = row.edition ? *row.edition : vexmoor;
        if (edition.code_page != GetACP() || edition.ui_language != GetUserDefaultUILanguage() ||
            edition.dpi != drawn_at || (edition.windows == 98) != windows_98)
            continue;
        rows_run++;
        SCOPED_TRACE(row.how);
        SetUp();
        // SetUp clears Halvaro's keys, and keeps another of its products.
        if (edition.company_key != company_key)
            DeleteTree(edition.company_key);
        PlaceStandIn(std::string("E:\\") + edition.programs[0]);
        SetChildActions(edition.roles[0], row.setup);
        if (row.edition) {
            SetEnvironmentVariableW(L"STANDIN_RECORD_KEY", Wide(edition.record_key).c_str());
            if (edition.programs[1])
                PlaceStandIn(std::string(game_folder) + "\\" + edition.programs[1]);
            PlaceBatchFile(std::string(game_folder) + "\\" + edition.programs[2], "GAME");
            if (row.folder != game_folder) {
                std::wstring folder = Wide(row.folder);
                CreateDirectoryW(folder.c_str(), nullptr);
                ASSERT_TRUE(
                    CopyFileW(Wide(std::string(game_folder) + "\\" + edition.programs[2]).c_str(),
                              (folder + L"\\" + Wide(edition.programs[2])).c_str(), FALSE))
                    << row.folder;
            }
        }
        if (row.built) {
            std::string built = ProgramFolder() + row.built;
            ASSERT_TRUE(CopyFileA(built.c_str(), "E:\\setup.exe", FALSE)) << built;
        }
        if (row.package) {
            ASSERT_TRUE(
                CopyFileA((ProgramFolder() + row.package).c_str(), "E:\\vexmoor.msi", FALSE));
            // An installation from an earlier run would keep msiexec from
            // installing again.
            Run_And_Wait(uninstall);
        }
        SetChildActions("LATE", row.late);
        SetChildActions("GAME", "sleep=500");
        std::string before = DumpKeys("Software", edition.created_key);
        LauncherRun run(edition.program);
        MessageWatch warnings(run.Pid());
        EXPECT_EQ(0u, run.ExitCode(30000));
        EXPECT_EQ(Texts{}, WarningTexts(warnings.Stop()));
        EXPECT_FALSE(run.WindowSeen());
        if (row.package)
            Run_And_Wait(uninstall);
        ExpectNothingLeft();
        // Windows Installer keeps keys of its own (Software\Microsoft\Installer).
        if (!row.package) {
            EXPECT_EQ(before, DumpKeys("Software", edition.created_key));
        }

        Texts roles = row.built ? Texts{} : Texts{edition.roles[0]};
        if (*row.late)
            roles.push_back("LATE");
        // Without a sound setup, the game comes next after the record.
        const char *next = edition.roles[1] ? edition.roles[1] : "GAME";
        if (edition.roles[1])
            roles.push_back(edition.roles[1]);
        roles.push_back("GAME");
        EXPECT_EQ(roles, Roles(log.Runs()));
        ChildRun sound = log.Only(next);
        EXPECT_EQ(row.folder, sound.unicode_folder);
        if (edition.roles[1]) {
            EXPECT_EQ(edition.sound_line, sound.command_line);
        }
        ChildRun game = log.Only("GAME");
        EXPECT_EQ(row.folder, game.unicode_folder);
        ASSERT_GE(sound.ended, 0);
        if (edition.roles[1]) {
            EXPECT_GE(game.started, sound.ended);
        }
        ASSERT_GE(game.ended, 0);
        EXPECT_GE(run.ExitedMs(), game.ended);
        if (row.built)
            continue; // no log of the installer's own

        ChildRun setup = log.Only(edition.roles[0]);
        EXPECT_EQ("E:\\", setup.folder);
        EXPECT_EQ(edition.programs[0], setup.command_line);
        EXPECT_EQ(0u, setup.exit_code);
        ASSERT_GE(setup.ended, 0);
        EXPECT_GE(sound.started - setup.ended, 3000);
        if (row.package)
            continue; // msiexec writes the record when it is done
        // The look that finds the record comes within 1 s of it.
        long long recorded = *row.late ? log.Only("LATE").ended : setup.ended;
        EXPECT_GE(sound.started - recorded, 2000) << next << " came before the record";
        // What the waits themselves take: 40 to 130 ms measured on the x86_64
        // road, and up to 380 ms on the i686 road, where a start in a folder
        // named in Polish or Chinese takes longest. A look missed would add
        // a whole second. Without a sound setup the game comes next: a batch
        // file, for which cmd.exe starts first (130 to 290 ms more, measured
        // on the x86_64 road).
        EXPECT_LE(sound.started - recorded, 3000 + 500 + (edition.roles[1] ? 0 : 500));
        if (*row.late) {
            EXPECT_GE(log.Only("LATE").broadcast_ms, 0) << "the broadcast was not answered";
            EXPECT_LT(log.Only("LATE").broadcast_ms, 2000);
        }
        if (row.edition && row.folder != game_folder) {
            // Started again, the launcher finds the game installed there.
            LauncherRun again(edition.program);
            HWND window = again.VisibleWindow();
            ASSERT_TRUE(window) << "the record was not found";
            again.Press(window, id_start, 0);
            EXPECT_EQ(0u, again.ExitCode());
            std::vector<ChildRun> runs = log.Runs();
            ASSERT_EQ("GAME", runs.back().role);
            EXPECT_EQ(row.folder, runs.back().unicode_folder);
            DeleteTree(edition.company_key);
        } else if (row.edition) {
            Check_Edition_Window(edition, log);
            DeleteTree(edition.company_key);
        }
    }
    EXPECT_GT(rows_run, 0) << "no row is in code page " << GetACP() << " at " << drawn_at
                           << " dots per inch";
}

TEST_F(InstallTest, FirstRunThatFailsSaysSoAndStartsNothingMore)
{
    const Texts setup_only = {"SETUP"};
    enum Then { alone, again, denied };
    struct {
        const char *how;
        const char *setup;
        Then then; // started again while the first warning shows; or while a
                   // launcher that this one may not see holds the mutex
        Texts warnings;
        Texts roles;
        bool polls_in_vain;
    } rows[] = {
        // clang-format off
        {"no record", "exit=1", alone, {"Installation Incomplete  "}, setup_only, true},
        {"no record, started again during the warning", "exit=1", again, {"Installation Incomplete  "}, setup_only, true},
        {"record without a drive", "record=VEXMOOR", alone, {"Installation Incomplete  "}, setup_only, false},
        {"record naming a missing folder", "record=G:\\MISSING", alone, {"Folder Error G:\\MISSING", "Installation Incomplete  "}, setup_only, false},
        // An elevated launcher's mutex, which a launcher that Windows did
        // not elevate may not open: no first run beside it.
        {"another launcher's mutex, access denied", "record=G:\\VEXMOOR", denied, {}, {}, false},
        // clang-format on
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        SetUp();
        PlaceInstaller(row.setup);
        HANDLE mutex = row.then == denied ? DeniedMutex("Halvaro Vexmoor install.exe") : nullptr;
        std::string before = DumpKeys("Software", product_key);
        std::optional<RegistryTrace> trace;
        if (row.polls_in_vain)
            trace.emplace();
        LauncherRun run(fast_launcher);
        MessageWatch warnings(run.Pid(), row.then == again);
        if (row.then == again)
            ExpectSecondStartRaises(warnings);
        EXPECT_EQ(0u, run.ExitCode(20000));
        if (mutex)
            CloseHandle(mutex);
        std::vector<SeenBox> boxes = warnings.Stop();
        EXPECT_EQ(row.warnings, WarningTexts(boxes));
        EXPECT_FALSE(run.WindowSeen());
        ExpectNothingLeft();
        EXPECT_EQ(row.roles, Roles(log.Runs()));
        EXPECT_EQ(before, DumpKeys("Software", product_key));
        if (row.polls_in_vain) {
            // One look at the start, then 290 after the installer, 10 ms
            // apart in this build (1 s in install.exe), then the warning.
            EXPECT_EQ(1 + 290, trace->Opens(run.Thread(), record_key));
            ASSERT_FALSE(boxes.empty());
            EXPECT_GE(boxes[0].seen_ms - log.Only("SETUP").ended, 2900);
        }
    }
}

// The Install button: only this version's record goes before the installer
// runs, and the window stays for another choice. Another version's record
// and the game's settings under the same product, other products of the
// company and other companies' keys stay as they were. An installer that
// cannot start takes nothing: the record stays, and the game still starts.
TEST_F(InstallTest, InstallButtonReinstallsOnlyThisVersionAndKeepsTheWindow)
{
    const char other_version[] = "Software\\Halvaro\\Vexmoor\\Version 2.0";
    const char settings[] = "Software\\Halvaro\\Vexmoor\\Settings";
    struct {
        const char *how;
        int first;            // a button clicked before, or 0
        const char *recorded; // the folder the installer records, or nullptr
        Texts warnings;
        int then;       // the button clicked afterwards
        Texts then_say; // and the warnings it gives
        Texts roles;
        // E:\setup.exe: "stand-in", "missing" or "damaged"; or "moved": the
        // launcher and its installer in E:\GONE, which is renamed once the
        // window shows, so that the start folder is gone at the click.
        const char *setup = "stand-in";
        // NoDefaultCurrentDirectoryInExePath set: the sound setup is
        // started by the game folder all the same.
        bool locked = false;
    } rows[] = {
        // clang-format off
        {"new record", 0, game_folder, {"Installation complete  "}, id_cancel, {}, {"SETUP", "SETSOUND"}},
        {"no installer on the CD", 0, nullptr, {"Installation incomplete  "}, id_start, {}, {"GAME"}, "missing"},
        {"an installer that is no program", 0, nullptr, {"Installation incomplete  "}, id_start, {}, {"GAME"},
         "damaged"},
        // The poll read the new record: Start then uses its folder.
        {"new record naming a missing folder", 0, missing_folder, {"Folder Error G:\\MISSING", "Installation incomplete  "},
         id_start, {"Folder Error G:\\MISSING", "Cannot Find G:\\MISSING"}, {"SETUP"}},
        // No read since the one that found the old record: Start uses that.
        {"no new record", 0, nullptr, {"Installation incomplete  "}, id_start, {}, {"SETUP", "GAME"}},
        // "Fortsetzen" entered the game folder and found no replay; the
        // installer still runs in the folder the launcher was started in.
        {"after a Fortsetzen without replay", id_continue, game_folder, {"Installation complete  "}, id_cancel, {},
         {"SETUP", "SETSOUND"}},
        // The installer is not looked for elsewhere: nothing starts, and the
        // record stays.
        {"a start folder gone since the start", 0, game_folder,
         {"Folder Error E:\\GONE", "Installation incomplete  "}, id_start, {}, {"GAME"}, "moved"},
        {"new record where Windows is locked down", 0, game_folder, {"Installation complete  "}, id_cancel, {},
         {"SETUP", "SETSOUND"}, "stand-in", true},
        // clang-format on
    };
    // The moved start folder's files, and the folder, by either name.
    auto clear_moved = [] {
        for (const char *folder : {"E:\\GONE", "E:\\GONE2"}) {
            for (const char *file : {"\\install.exe", "\\setup.exe"})
                DeleteFileA((std::string(folder) + file).c_str());
            RemoveDirectoryA(folder);
        }
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        SetUp();
        WriteText(record_key, "folder", game_folder);
        WriteText(other_version, "folder", "G:\\VEXMOOR 2");
        WriteText(settings, "Sprache", "Deutsch");
        bool starts = row.setup == std::string("stand-in");
        bool moved = row.setup == std::string("moved");
        if (starts)
            PlaceInstaller(row.recorded ? std::string("record=") + row.recorded : "");
        if (moved) {
            clear_moved();
            MakeFolders("E:\\GONE");
            PlaceStandIn("E:\\GONE\\setup.exe");
            SetChildActions("SETUP", std::string("record=") + row.recorded);
            ASSERT_TRUE(CopyFileA((ProgramFolder() + fast_launcher).c_str(),
                                  "E:\\GONE\\install.exe", FALSE));
        }
        if (row.setup == std::string("damaged")) {
            HANDLE file =
                CreateFileA("E:\\setup.exe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD written = 0;
            ASSERT_TRUE(WriteFile(file, "MZ, then no program", 19, &written, nullptr));
            CloseHandle(file);
        }
        if (row.first == id_continue)
            RemoveGameFile("REPLAY.BAT");
        std::string before = DumpKeys("Software", record_key);
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", row.locked ? "1" : nullptr);
        LauncherRun run(moved ? "E:\\GONE\\install.exe" : fast_launcher);
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", nullptr);
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);
        if (moved) {
            ASSERT_TRUE(MoveFileA("E:\\GONE", "E:\\GONE2")) << GetLastError();
        }
        if (row.first) {
            EXPECT_EQ(Texts{}, WarningTexts(run.Press(window, row.first, 0)));
        }

        EXPECT_EQ(row.warnings, WarningTexts(run.Press(window, id_install, row.warnings.size())));
        EXPECT_EQ(still_running, run.ExitCode(0));
        EXPECT_TRUE(IsWindowVisible(window));
        std::string record;
        if (starts) {
            // The record was gone before the installer started.
            ChildRun setup = log.Only("SETUP");
            EXPECT_EQ("<none>", setup.record);
            EXPECT_EQ("E:\\", setup.folder);
            EXPECT_EQ("setup.exe", setup.command_line);
        }
        const char *kept = starts ? row.recorded : game_folder;
        if (kept)
            record =
                "[" + std::string(record_key) + "]\nfolder 1 " + kept + std::string(1, '\0') + "\n";
        EXPECT_EQ(record, DumpKeys(record_key));
        if (row.roles.back() == "SETSOUND") {
            ChildRun sound = log.Only("SETSOUND");
            EXPECT_EQ(game_folder, sound.folder);
            EXPECT_EQ("Setsound.exe /DE", sound.command_line);
        }

        EXPECT_EQ(row.then_say, WarningTexts(run.Press(window, row.then, row.then_say.size())));
        EXPECT_EQ(0u, run.ExitCode());
        ExpectNothingLeft();
        if (moved)
            clear_moved();
        EXPECT_EQ(row.roles, Roles(log.Runs()));
        if (row.roles.back() == "GAME") {
            EXPECT_EQ(game_folder, log.Only("GAME").folder);
        }
        EXPECT_EQ(before, DumpKeys("Software", record_key));
    }
}

// install.exe written without its dialog template: no window, but both
// roads run to their end. First-run warnings then have no owner. And the
// launcher with no edition written into it, or with one whose data is
// damaged: it says so, starts nothing and ends with 1.
TEST_F(InstallTest, WithoutItsWindowOrItsEditionTheLauncherEnds)
{
    struct {
        const char *how;
        bool installed;
        const char *setup; // nullptr: no installer on the CD
        Texts warnings;
        Texts roles;
        const char *program = "install_notemplate.exe";
        DWORD code = 0;
    } rows[] = {
        {"installed", true, nullptr, {}, {}},
        {"first run", false, "record=G:\\VEXMOOR", {}, {"SETUP", "SETSOUND", "GAME"}},
        {"first run without installer", false, nullptr, {"Installation Incomplete  "}, {}},
        {"no edition",
         false,
         "record=G:\\VEXMOOR",
         {"This install.exe is damaged: its texts and names are missing."},
         {},
         "launcher.exe",
         1},
        {"damaged edition",
         false,
         "record=G:\\VEXMOOR",
         {"This install.exe is damaged: its texts and names are missing."},
         {},
         "install_damaged.exe",
         1},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        SetUp();
        if (row.installed)
            WriteText(record_key, "folder", game_folder);
        if (row.setup)
            PlaceInstaller(row.setup);
        LauncherRun run(row.program);
        MessageWatch watch(run.Pid());
        EXPECT_EQ(row.code, run.ExitCode(20000));
        Texts warnings;
        for (const SeenBox &box : watch.Stop()) {
            EXPECT_EQ(nullptr, box.owner);
            warnings.push_back(box.text);
        }
        EXPECT_EQ(row.warnings, warnings);
        ExpectNothingLeft();
        EXPECT_EQ(row.roles, Roles(log.Runs()));
    }
}
} // namespace
