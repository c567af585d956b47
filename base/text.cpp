#include "base/text.h"

int Unicode_Windows()
{
    // The high bit of GetVersion is set on Windows 95, 98 and ME alone.
    return (GetVersion() & 0x80000000u) == 0;
}

int Windows_2000_On()
{
    return Unicode_Windows() && LOBYTE(LOWORD(GetVersion())) >= 5;
}

int Utf8_To_Wide(const char *text, WCHAR *wide, int size)
{
    const BYTE *next = (const BYTE *)text;
    int used = 0;

    while (*next != '\0') {
        const BYTE *start = next;
        // The first byte says how many follow: none below 0x80, one from
        // 0xC0, two from 0xE0, three from 0xF0.
        DWORD code = *next++;
        int follow = code >= 0xF0 ? 3 : code >= 0xE0 ? 2 : code >= 0xC0 ? 1 : 0;
        // A follow byte (10 as its top bits) where a character starts.
        int broken = code >= 0x80 && follow == 0;
        if (follow > 0)
            code &= 0x3F >> follow;
        // The terminator ends a broken character as it ends the text.
        for (; follow > 0 && (*next & 0xC0) == 0x80; follow--)
            code = code << 6 | (*next++ & 0x3F);
        if (broken || follow > 0 || code > 0x10FFFF)
            code = 0xFFFD;
        // A character beyond U+FFFF takes two: a surrogate pair. Room is
        // left for the terminator.
        if (used + (code > 0xFFFF ? 2 : 1) >= size) {
            next = start;
            break;
        }
        if (code > 0xFFFF) {
            wide[used++] = (WCHAR)(0xD7C0 + (code >> 10));
            code = 0xDC00 + (code & 0x3FF);
        }
        wide[used++] = (WCHAR)code;
    }
    wide[used] = L'\0';
    return *next == '\0' ? used : -1;
}

void Wide_To_Ansi(const WCHAR *wide, char *text, int size)
{
    // A text that does not fit is none.
    if (!WideCharToMultiByte(CP_ACP, 0, wide, -1, text, size, nullptr, nullptr))
        text[0] = '\0';
}
