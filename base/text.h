// Texts between the forms Windows takes them in: the edition's names and
// texts are UTF-8 in install.exe; Windows NT takes them as Unicode, and
// Windows 95, 98 and ME, which have no Unicode windows or registry, in the
// ANSI code page.
#pragma once

#include <windows.h>

// 1 on Windows NT (NT 4.0 to 11), 0 on Windows 95, 98 and ME.
int Unicode_Windows();

// 1 on Windows 2000 and later: Windows NT from version 5.
int Windows_2000_On();

// The UTF-8 `text` as Unicode into `wide`, terminated, cut to fit `size`
// characters (at least 1). A broken character reads as U+FFFD. Returns the
// characters written, or -1 when it was cut.
int Utf8_To_Wide(const char *text, WCHAR *wide, int size);

// The Unicode `wide` in the ANSI code page into `text`, terminated; empty
// when it does not fit `size` bytes. A character that the code page lacks
// becomes "?".
void Wide_To_Ansi(const WCHAR *wide, char *text, int size);
