#include "support/scratch.h"

#include <gtest/gtest.h>

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
