// The launcher's shared names and its warning message.
#pragma once

#include <windows.h>

// The three names that locate the installation record, always passed
// together and in this order.
extern const char szCompanyName[];
extern const char szProductName[];
extern const char szVersionName[];

// The caption of every warning box: "Install".
extern const char warning_caption[];

// Shows a warning box captioned "Install", owned by `owner`. `format` takes
// exactly one "%s"; an empty argument reads as "(untitled)". Returns the
// message box's result.
int OkMessage(HWND owner, const char *format, const char *argument);
