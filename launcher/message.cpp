#include "launcher/launcher.h"
#include "base/text.h"
#include "launcher/language.h"

#include <iterator>

namespace
{
// The box's text, as the launcher has always held it: 575 characters.
const int text_size = WARNING_BUFFER;

// Copies `from` onto the end of `text`, as much as fits; returns the new end.
int Append(WCHAR (&text)[text_size], int end, const WCHAR *from)
{
    for (; *from != L'\0' && end < text_size - 1; from++)
        text[end++] = *from;
    text[end] = L'\0';
    return end;
}

// `format` with its one "%s" replaced by `argument`, cut to fit the box.
void Format(WCHAR (&text)[text_size], const WCHAR *format, const WCHAR *argument)
{
    int end = 0;

    text[0] = L'\0';
    for (; *format != L'\0' && end < text_size - 1; format++) {
        if (format[0] == L'%' && format[1] == L's') {
            end = Append(text, end, argument);
            format++;
        } else {
            text[end++] = *format;
            text[end] = L'\0';
        }
    }
}
} // namespace

int OkMessage(HWND owner, const char *format, const char *argument, const WCHAR *unicode_argument)
{
    // Under 4 KiB of stack in all, which needs no probing of its pages.
    WCHAR wide_format[text_size], wide_argument[text_size], caption[128], text[text_size];

    wide_argument[0] = L'\0';
    // The folder as the registry holds it, where Windows has it as Unicode
    // (record.h): the ANSI one has "?" for letters of other code pages.
    if (unicode_argument && unicode_argument[0] != L'\0') {
        Append(wide_argument, 0, unicode_argument);
    } else if (argument[0] != '\0') {
        // A long argument (a folder text from the registry, say) is cut
        // to what the box can show of it.
        int length = lstrlenA(argument);
        length =
            MultiByteToWideChar(CP_ACP, 0, argument, length < text_size ? length : text_size - 1,
                                wide_argument, text_size - 1);
        wide_argument[length] = L'\0';
    } else {
        Utf8_To_Wide(Text(text_untitled), wide_argument, text_size);
    }
    Utf8_To_Wide(format, wide_format, text_size);
    Utf8_To_Wide(Text(text_warning_caption), caption, std::size(caption));
    Format(text, wide_format, wide_argument);
    // Hebrew and Arabic read right to left, the box mirrored as the window
    // is, its text against its right edge.
    UINT reading = Right_To_Left(*language) ? MB_RTLREADING | MB_RIGHT : 0;
    // MessageBoxW is one of the few Unicode calls that Windows 95 to ME
    // carry out, in their ANSI code page; the language chosen there is in
    // it.
    return MessageBoxW(owner, text, caption, MB_OK | MB_ICONEXCLAMATION | reading);
}
