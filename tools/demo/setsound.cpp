// The demo CD's sound setup, Setsound.exe: shows the command line it was
// given, "/D" followed by the CD's drive letter, and ends with 0.
#include <windows.h>

namespace
{
// The command line without the program's own name, which may be quoted.
const char *Arguments(const char *line)
{
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line)
        if (*line == '"')
            quoted = !quoted;
    while (*line == ' ' || *line == '\t')
        ++line;
    return line;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char text[512];
    char folder[MAX_PATH] = "";
    const char *arguments = Arguments(GetCommandLineA());
    GetCurrentDirectoryA(MAX_PATH, folder);

    if ((arguments[0] == '/' || arguments[0] == '-') && (arguments[1] | 0x20) == 'd' &&
        arguments[2] && arguments[3] == '\0')
        wsprintfA(text,
                  "Sound setup received: %s\n\nThe game's sounds will be read from the CD in "
                  "drive %c:.\nRunning in: %s",
                  arguments, arguments[2], folder);
    else
        wsprintfA(text,
                  "Sound setup received: \"%.200s\"\n\nExpected /D and the CD's drive letter.",
                  arguments);
    MessageBoxA(nullptr, text, "Vexmoor Sound Setup", MB_OK | MB_ICONINFORMATION);
    return 0;
}
