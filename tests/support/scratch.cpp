#include "support/scratch.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

const char company_key[] = "Software\\Halvaro";
const char record_key[] = "Software\\Halvaro\\Vexmoor\\Version 1.0";

void DeleteTree(const char *path)
{
    LONG result = RegDeleteTreeA(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << path;
    ASSERT_FALSE(KeyExists(path)) << path;
}

void WriteKey(const char *path, const char *name, DWORD type, const void *data, DWORD size)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr))
        << path;
    if (name) {
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE *)data, size))
            << path << " " << name;
    }
    RegCloseKey(key);
}

void WriteText(const char *path, const char *name, const std::string &text)
{
    WriteKey(path, name, REG_SZ, text.c_str(), text.size() + 1);
}

bool KeyExists(const char *path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string ReadText(const char *path, const char *name)
{
    char text[1024];
    DWORD size = sizeof(text);
    if (RegGetValueA(HKEY_CURRENT_USER, path, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return "<missing>";
    return text;
}

void MakeFolders(const std::string &path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << path;
}

std::string CurrentFolder()
{
    char folder[MAX_PATH * 2] = "";
    GetCurrentDirectoryA(sizeof(folder), folder);
    return folder;
}

namespace
{
void Dump_Key(HKEY parent, const std::string &path, std::string &out)
{
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out += "[" + path + "]\n";
    char name[256];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD name_size = sizeof(name), data_size = sizeof(data), type = 0;
        if (RegEnumValueA(key, i, name, &name_size, nullptr, &type, data, &data_size) !=
            ERROR_SUCCESS)
            break;
        out += std::string(name) + " " + std::to_string(type) + " " +
               std::string((char *)data, data_size) + "\n";
    }
    for (DWORD i = 0; RegEnumKeyA(key, i, name, sizeof(name)) == ERROR_SUCCESS; ++i)
        Dump_Key(parent, path + "\\" + name, out);
    RegCloseKey(key);
}
} // namespace

namespace
{
bool Is_Section_Of(const std::string &line, const std::string &key)
{
    return line.rfind("[" + key + "]", 0) == 0 || line.rfind("[" + key + "\\", 0) == 0;
}
} // namespace

std::string DumpKeys(const char *path, const char *left_out)
{
    std::string out, kept;
    Dump_Key(HKEY_CURRENT_USER, path, out);
    bool skipping = false;
    for (size_t at = 0; at < out.size();) {
        size_t end = out.find('\n', at) + 1;
        std::string line = out.substr(at, end - at);
        // Wine keeps settings of its own there and writes them as programs
        // start and crash.
        if (line[0] == '[')
            skipping = Is_Section_Of(line, "Software\\Wine") ||
                       (left_out && Is_Section_Of(line, left_out));
        if (!skipping)
            kept += line;
        at = end;
    }
    return kept;
}

int CountProcesses(const char *program)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        count += lstrcmpiA(entry.szExeFile, program) == 0;
    CloseHandle(snapshot);
    return count;
}
