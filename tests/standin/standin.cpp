// Stands in for the launcher's outside programs: the installer, the sound
// setup and the programs that the game's batch files start. Copied under any
// name, or run from a batch file as
//     "...\standin.exe" --role NAME
// Its role is NAME, or else its own file name without the extension, in
// capitals. It appends to the file named by STANDIN_LOG (tab-separated):
//     start ROLE PID TIME_MS CURRENT_FOLDER COMMAND_LINE STARTF_FLAGS SHOW RECORD
//           UNICODE_FOLDER GUARD WINDOWS
//     end   ROLE PID TIME_MS EXIT_CODE
//     broadcast ROLE PID MS
// where RECORD is the installation record's folder as found at the start, or
// "<none>", UNICODE_FOLDER the current folder by its Unicode name, in UTF-8,
// GUARD the stack guard's value, and WINDOWS "9x" where Windows says it is
// Windows 95, 98 or ME (the high bit of GetVersion), else "nt". It carries
// out the actions in
// STANDIN_<ROLE> (UTF-8), separated by ';':
//     record=FOLDER   writes the installation record naming FOLDER, as
//                     Unicode text, under the key STANDIN_RECORD_KEY names
//                     (another edition's), else Vexmoor's
//     sleep=MS        sleeps
//     spawn=ROLE      starts another stand-in in ROLE and does not wait for it
//     start=COMMAND   starts COMMAND (msiexec on a package, say) and does not
//                     wait for it
//     run=COMMAND     starts COMMAND, waits up to 10 s for it and ends with
//                     its exit code (259 while it still runs, 1 when it did
//                     not start)
//     exit=CODE       ends with CODE (default 0)
//     crash           dies of an access violation (0xC0000005), logging no end
//     overrun=BYTES   writes BYTES bytes into an 8-byte buffer on its stack;
//                     the stack guard (base/guard.cpp, as install.exe
//                     has it) ends it with 0xC0000409, logging no end
//     broadcast       sends WM_FONTCHANGE to every top-level window, as an
//                     installer does after adding a font, and logs the MS
//                     the call took: it returns once every window answered
#include "base/guard.h"

#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

// base/guard.cpp's.
extern "C" uintptr_t __stack_chk_guard;

// Seeded before WinMain, as install.exe's entry seeds it.
__attribute__((constructor, no_stack_protector)) void Seed_At_Start()
{
    Seed_Guard();
}

namespace
{
const char vexmoor_key[] = "Software\\Halvaro\\Vexmoor\\Version 1.0";

long long Now_Ms()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (((long long)now.dwHighDateTime << 32) | now.dwLowDateTime) / 10000;
}

std::string Utf8(const wchar_t *text)
{
    char utf8[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof(utf8), nullptr, nullptr);
    return utf8;
}

std::wstring Wide(const std::string &utf8)
{
    wchar_t wide[4096] = L"";
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide, 4096);
    return wide;
}

// In UTF-8.
std::string Environment(const std::string &name)
{
    wchar_t value[4096] = L"";
    DWORD length = GetEnvironmentVariableW(Wide(name).c_str(), value, 4096);
    return length < 4096 ? Utf8(value) : "";
}

std::string Unicode_Folder()
{
    wchar_t folder[MAX_PATH * 2] = L"";
    GetCurrentDirectoryW(MAX_PATH * 2, folder);
    return Utf8(folder);
}

std::string Role()
{
    std::string line = GetCommandLineA();
    size_t at = line.find("--role ");
    if (at != std::string::npos)
        return line.substr(at + 7, line.find_first_of(" \t", at + 7) - (at + 7));
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    name = name.substr(0, name.find('.'));
    for (char &c : name)
        c = (char)toupper((unsigned char)c);
    return name;
}

void Log(const std::string &line)
{
    std::string path = Environment("STANDIN_LOG");
    if (path.empty())
        return;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\r\n";
    DWORD written;
    WriteFile(file, text.data(), (DWORD)text.size(), &written, nullptr);
    CloseHandle(file);
}

std::wstring Record_Key()
{
    std::string key = Environment("STANDIN_RECORD_KEY");
    return Wide(key.empty() ? vexmoor_key : key);
}

void Write_Record(const std::string &folder)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Record_Key().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    std::wstring text = Wide(folder);
    RegSetValueExW(key, L"folder", 0, REG_SZ, (const BYTE *)text.c_str(),
                   (DWORD)(text.size() + 1) * sizeof(wchar_t));
    RegCloseKey(key);
}

std::string Read_Record()
{
    wchar_t folder[1024];
    DWORD size = sizeof(folder);
    if (RegGetValueW(HKEY_CURRENT_USER, Record_Key().c_str(), L"folder", RRF_RT_REG_SZ, nullptr,
                     folder, &size) != ERROR_SUCCESS)
        return "<none>";
    return Utf8(folder);
}

// Starts `command`; with `wait_ms`, waits that long for it. Returns its exit
// code, or 1 when it did not start.
DWORD Start(std::string command, DWORD wait_ms = 0)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    DWORD code = 1;
    if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &child)) {
        WaitForSingleObject(child.hProcess, wait_ms);
        GetExitCodeProcess(child.hProcess, &code);
        CloseHandle(child.hThread);
        CloseHandle(child.hProcess);
    }
    return code;
}

void Spawn(const std::string &role)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    Start("\"" + std::string(path) + "\" --role " + role);
}

// A write to address 0, as a faulty program would make it. No crash dialog:
// the process just ends with the exception's code.
void Crash()
{
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    volatile int *nowhere = nullptr;
    *nowhere = 1;
}

// The size comes from the actions, so the compiler cannot see the overrun.
__attribute__((noinline)) void Overrun(size_t bytes)
{
    char buffer[8];
    memset(buffer, 'x', bytes);
    // Keeps the buffer, and so the write, from being optimised away.
    Log(std::string(buffer, 1));
}

void Broadcast(const std::string &role)
{
    long long began = Now_Ms();
    SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
    Log("broadcast\t" + role + "\t" + std::to_string(GetCurrentProcessId()) + "\t" +
        std::to_string(Now_Ms() - began));
}

// Carries out the actions; returns the exit code.
UINT Act(const std::string &role, const std::string &actions)
{
    UINT exit_code = 0;
    size_t at = 0;
    while (at < actions.size()) {
        size_t end = actions.find(';', at);
        if (end == std::string::npos)
            end = actions.size();
        std::string action = actions.substr(at, end - at);
        std::string value = action.substr(action.find('=') + 1);
        if (action.rfind("record=", 0) == 0)
            Write_Record(value);
        else if (action.rfind("sleep=", 0) == 0)
            Sleep(strtoul(value.c_str(), nullptr, 10));
        else if (action.rfind("spawn=", 0) == 0)
            Spawn(value);
        else if (action.rfind("start=", 0) == 0)
            Start(value);
        else if (action.rfind("run=", 0) == 0)
            exit_code = Start(value, 10000);
        else if (action.rfind("exit=", 0) == 0)
            exit_code = strtoul(value.c_str(), nullptr, 10);
        else if (action == "crash")
            Crash();
        else if (action.rfind("overrun=", 0) == 0)
            Overrun(strtoul(value.c_str(), nullptr, 10));
        else if (action == "broadcast")
            Broadcast(role);
        at = end + 1;
    }
    return exit_code;
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::string role = Role();
    std::string pid = std::to_string(GetCurrentProcessId());
    char folder[MAX_PATH * 2] = "";
    GetCurrentDirectoryA(sizeof(folder), folder);
    STARTUPINFOA info;
    GetStartupInfoA(&info);
    Log("start\t" + role + "\t" + pid + "\t" + std::to_string(Now_Ms()) + "\t" + folder + "\t" +
        GetCommandLineA() + "\t" + std::to_string(info.dwFlags) + "\t" +
        std::to_string(info.wShowWindow) + "\t" + Read_Record() + "\t" + Unicode_Folder() + "\t" +
        std::to_string(__stack_chk_guard) + "\t" + (GetVersion() & 0x80000000u ? "9x" : "nt"));
    UINT exit_code = Act(role, Environment("STANDIN_" + role));
    Log("end\t" + role + "\t" + pid + "\t" + std::to_string(Now_Ms()) + "\t" +
        std::to_string(exit_code));
    ExitProcess(exit_code);
}
