#include "support/scratch.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <vector>

const char company_key[] = "Software\\Halvaro";
const char product_key[] = "Software\\Halvaro\\Vexmoor";
const char record_key[] = "Software\\Halvaro\\Vexmoor\\Version 1.0";

void DeleteTree(const char *path, const Caller &)
{
    LONG result = RegDeleteTreeW(HKEY_CURRENT_USER, Wide(path).c_str());
    ASSERT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << path;
    ASSERT_FALSE(KeyExists(path)) << path;
}

void WriteKey(const char *path, const char *name, DWORD type, const void *data, DWORD size,
              const Caller &)
{
    HKEY key;
    // Key names are UTF-8, as publishers give them: Unicode in the registry.
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr))
        << path;
    if (name) {
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(key, name, 0, type, (const BYTE *)data, size))
            << path << " " << name;
    }
    RegCloseKey(key);
}

void WriteText(const char *path, const char *name, const std::string &text, const Caller &)
{
    std::wstring value = Wide(text);
    WriteKey(path);
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_CURRENT_USER, Wide(path).c_str(), Wide(name).c_str(), REG_SZ,
                              value.c_str(), (DWORD)(value.size() + 1) * sizeof(WCHAR)))
        << path << " " << name;
}

std::wstring Wide(const std::string &utf8, const Caller &)
{
    WCHAR wide[4096] = L"";
    EXPECT_TRUE(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.c_str(), -1, wide, 4096))
        << "not UTF-8: " << utf8;
    return wide;
}

bool KeyExists(const char *path)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
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

void MakeFolders(const std::string &path, const Caller &)
{
    std::wstring wide = Wide(path);
    for (size_t at = wide.find(L'\\', 3); at != std::wstring::npos; at = wide.find(L'\\', at + 1))
        CreateDirectoryW(wide.substr(0, at).c_str(), nullptr);
    CreateDirectoryW(wide.c_str(), nullptr);
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(wide.c_str())) << path;
}

std::string CurrentFolder()
{
    char folder[MAX_PATH * 2] = "";
    GetCurrentDirectoryA(sizeof(folder), folder);
    return folder;
}

namespace
{
// Marks the snapshot as failed: an error other than the end of a list must
// not pass for a shorter list.
void Dump_Error(const std::string &path, const char *what, LONG error, std::string &out)
{
    ADD_FAILURE() << "registry snapshot: " << what << " of " << path << " failed with " << error;
    out += "<error " + std::to_string(error) + " " + what + ">\n";
}

void Dump_Values(HKEY key, const std::string &path, std::string &out)
{
    DWORD longest_name = 0, longest_data = 0;
    LONG result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, &longest_name, &longest_data, nullptr, nullptr);
    if (result != ERROR_SUCCESS)
        return Dump_Error(path, "reading the value sizes", result, out);
    // Room for the longest value of the key, whatever its size.
    std::vector<char> name(longest_name + 1);
    std::vector<BYTE> data(longest_data + 1);
    for (DWORD i = 0;; ++i) {
        DWORD name_size = (DWORD)name.size(), data_size = (DWORD)data.size(), type = 0;
        result =
            RegEnumValueA(key, i, name.data(), &name_size, nullptr, &type, data.data(), &data_size);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            return Dump_Error(path, "reading a value", result, out);
        out += std::string(name.data(), name_size) + " " + std::to_string(type) + " " +
               std::string((char *)data.data(), data_size) + "\n";
    }
}

std::string Utf8(const WCHAR *wide)
{
    char text[4096] = "";
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
    return text;
}

bool Is_In(const std::string &path, const std::string &key)
{
    return path == key || path.rfind(key + "\\", 0) == 0;
}

void Dump_Key(HKEY parent, const std::string &path, const char *left_out, std::string &out)
{
    // Wine keeps settings of its own in Software\Wine and writes them as
    // programs start and crash.
    if (Is_In(path, "Software\\Wine") || (left_out && Is_In(path, left_out)))
        return;
    HKEY key;
    LONG result = RegOpenKeyExW(parent, Wide(path).c_str(), 0, KEY_READ, &key);
    // A key that is not there has nothing to show.
    if (result == ERROR_FILE_NOT_FOUND)
        return;
    if (result != ERROR_SUCCESS)
        return Dump_Error(path, "opening", result, out);
    out += "[" + path + "]\n";
    Dump_Values(key, path, out);
    WCHAR name[256];
    for (DWORD i = 0;; ++i) {
        result = RegEnumKeyW(key, i, name, 256);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS) {
            Dump_Error(path, "listing the subkeys", result, out);
            break;
        }
        Dump_Key(parent, path + "\\" + Utf8(name), left_out, out);
    }
    RegCloseKey(key);
}
} // namespace

std::string DumpKeys(const char *path, const char *left_out)
{
    std::string out;
    Dump_Key(HKEY_CURRENT_USER, path, left_out, out);
    return out;
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

HANDLE DeniedMutex(const char *name, const Caller &)
{
    // A DACL without entries grants nothing to anyone.
    SECURITY_DESCRIPTOR descriptor;
    ACL empty;
    EXPECT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    EXPECT_TRUE(InitializeAcl(&empty, sizeof(empty), ACL_REVISION));
    EXPECT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE));
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &descriptor, FALSE};
    HANDLE mutex = CreateMutexA(&attributes, FALSE, name);
    EXPECT_TRUE(mutex) << name;
    // The prefix must enforce it, as Windows does: opening it again is
    // refused even to this process.
    HANDLE again = CreateMutexA(nullptr, FALSE, name);
    EXPECT_EQ(nullptr, again) << "the mutex's security descriptor is not enforced";
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    if (again)
        CloseHandle(again);
    return mutex;
}
