// The language the launcher speaks: the player's, where the edition has it.
#include "launcher/launcher.h"
#include "launcher/text.h"

const Language *language;

namespace
{
typedef LANGID(WINAPI *Ui_Language)(void);

// The language of Windows' menus and dialogs: the display language, which
// Windows 2000 and later let each user choose; before that, the language
// of the user's locale.
LANGID Players_Language()
{
    // Through void (*)(void), which any function pointer converts to.
    FARPROC found = Kernel_Function("GetUserDefaultUILanguage");
    if (found)
        return ((Ui_Language)(void (*)(void))found)();
    return GetUserDefaultLangID();
}

} // namespace

const char *Text(Text_Id id)
{
    const char *text = edition_texts + language->texts;
    for (int skipped = 0; skipped < id; skipped++)
        text += lstrlenA(text) + 1;
    return text;
}

void Choose_Language()
{
    LANGID wanted = Players_Language();
    const Language *same_primary = nullptr;
    // Windows 95 to ME show only texts in their own ANSI code page, for
    // their windows take no other; Windows NT shows any (0 stands for all).
    UINT shown = Unicode_Windows() ? 0 : GetACP();

    for (int i = 0; i < language_count; i++) {
        const Language &candidate = languages[i];
        if (shown && candidate.code_page != shown)
            continue;
        if (candidate.id == wanted) {
            language = &candidate;
            return;
        }
        if (!same_primary && PRIMARYLANGID(candidate.id) == PRIMARYLANGID(wanted))
            same_primary = &candidate;
    }
    // Else the edition's first language, its default.
    language = same_primary ? same_primary : languages;
}
