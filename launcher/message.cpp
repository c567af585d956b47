#include "launcher/launcher.h"

#include <iterator>

namespace
{
// wsprintfA never writes more than 1024 characters, terminator included.
const int wsprintf_limit = 1024;
} // namespace

int OkMessage(HWND owner, const char *format, const char *argument)
{
    char formatted[wsprintf_limit];
    char text[576];

    if (argument[0] == '\0')
        argument = szUntitled;
    wsprintfA(formatted, format, argument);
    // A long argument (a folder text from the registry, say) is cut to fit
    // the box's text rather than written past it.
    lstrcpynA(text, formatted, std::size(text));
    return MessageBoxA(owner, text, warning_caption, MB_OK | MB_ICONEXCLAMATION);
}
