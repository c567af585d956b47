#include "record/record.h"
#include "base/guard.h"
#include "base/ids.h"
#include "base/text.h"

#include <iterator>

char szFolderRead[FOLDER_BUFFER];
WCHAR szFolderReadW[FOLDER_BUFFER];

namespace
{
// The registry's calls, with Unicode names: on Windows NT a name keeps
// every letter whatever the ANSI code page; Windows 95 to ME, whose registry
// takes nothing else, get it in that code page.
LONG Open_Key(HKEY parent, const WCHAR *name, REGSAM access, HKEY *key)
{
    char ansi[KEY_PATH_BUFFER];

    if (Unicode_Windows())
        return RegOpenKeyExW(parent, name, 0, access, key);
    Wide_To_Ansi(name, ansi, std::size(ansi));
    return RegOpenKeyExA(parent, ansi, 0, access, key);
}
LONG Delete_Key(HKEY parent, const WCHAR *name)
{
    char ansi[KEY_PATH_BUFFER];

    if (Unicode_Windows())
        return RegDeleteKeyW(parent, name);
    Wide_To_Ansi(name, ansi, std::size(ansi));
    return RegDeleteKeyA(parent, ansi);
}
// Windows 95 to ME have only a stub, which finds no subkey: there
// RegDeleteKeyA deletes a key with everything beneath it.
LONG First_Subkey(HKEY key, WCHAR (&name)[256])
{
    return RegEnumKeyW(key, 0, name, std::size(name));
}
// The key "Software\<company>\<product>\<version>", from the UTF-8 names
// in `parts` (the first "Software"), into `path`, with where the product's
// and the version's names start in it; 0 when it does not fit.
int Build_Key_Path(WCHAR (&path)[KEY_PATH_BUFFER], const char *const (&parts)[4], int (&starts)[2])
{
    int end = 0;

    for (int i = 0; i < 4; i++) {
        if (i > 0)
            path[end++] = L'\\';
        if (i > 1)
            starts[i - 2] = end;
        // A backslash leaves room for a name and the terminator.
        int length = end < (int)std::size(path) - 1
                         ? Utf8_To_Wide(parts[i], path + end, std::size(path) - end)
                         : -1;
        if (length < 0)
            return 0;
        end += length;
    }
    return 1;
}

// The length of the text at the start of `data`: up to its first
// terminator, or all `size` characters when it has none.
template <typename Char> DWORD Text_Length(const Char *data, DWORD size)
{
    DWORD length = 0;
    while (length < size && data[length] != 0)
        length++;
    return length;
}

// Reads the value "folder" of `key` as Unicode text into `wide`, terminated;
// empty when Windows lacks the function (95, 98 and ME have only a stub),
// when the value is not text (the ANSI reading takes other types byte for
// byte, which this one would not), or when it does not fit.
void Read_Wide(HKEY key, WCHAR (&wide)[FOLDER_BUFFER])
{
    DWORD type, size = sizeof(wide), length = 0;

    if (RegQueryValueExW(key, L"folder", nullptr, &type, (BYTE *)wide, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) && size <= sizeof(wide))
        length = Text_Length(wide, size / sizeof(WCHAR));
    // A text that leaves no room for the terminator is none.
    wide[length < std::size(wide) ? length : 0] = L'\0';
}

// The ANSI reading of the Unicode folder `wide` into `ansi`, as much of it
// as fits: its letters may take two bytes each (the East Asian code pages)
// or three (65001, UTF-8), where the folder itself fits. The drive letter
// and colon, which New_Directory reads of it, come first; the folder is
// entered, and named in warnings, by its Unicode name.
void Ansi_Reading(const WCHAR *wide, char (&ansi)[FOLDER_BUFFER])
{
    int length = 0, made = 0;

    while (wide[length] != L'\0')
        length++;
    // Fewer letters until they fit: the last that does not may be cut.
    for (; length > 0 && made == 0; length--)
        made = WideCharToMultiByte(CP_ACP, 0, wide, length, ansi, std::size(ansi) - 1, nullptr,
                                   nullptr);
    ansi[made] = '\0';
}

// Registry keys nest at most this deep on Windows.
const int max_key_depth = 512;

// Deletes the key `name` under `parent` with everything beneath it, deepest
// keys first. RegDeleteKeyA removes a key with subkeys on Windows 9x but
// refuses it on NT; on a key without subkeys both behave alike. Returns 1
// when the key is gone.
int Delete_Key_Tree(HKEY parent, const WCHAR *name, int depth = 0)
{
    WCHAR subkey[256];
    HKEY key;

    // An empty name would open the parent itself.
    if (name[0] == 0 || depth > max_key_depth)
        return 0;
    if (Open_Key(parent, name, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    // Deleting a subkey moves the next one to index 0. A subkey that cannot
    // be deleted ends the walk rather than being visited again.
    int emptied = 1;
    while (emptied && First_Subkey(key, subkey) == ERROR_SUCCESS)
        emptied = Delete_Key_Tree(key, subkey, depth + 1);
    RegCloseKey(key);
    return emptied && Delete_Key(parent, name) == ERROR_SUCCESS;
}

// 1 when the key has neither subkeys nor values.
int Key_Is_Empty(HKEY key)
{
    DWORD subkeys, values;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return 0;
    return subkeys == 0 && values == 0;
}

// Deletes the key `name` under `parent` when nothing is left in it: no
// subkey, no value.
NO_BUFFER void Delete_If_Empty(HKEY parent, const WCHAR *name)
{
    HKEY key;

    // An empty name would open the parent itself.
    if (name[0] == 0 || Open_Key(parent, name, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    int empty = Key_Is_Empty(key);
    RegCloseKey(key);
    if (empty)
        Delete_Key(parent, name);
}

// Deletes the version key `version` under the product key `product` of
// `company` with everything beneath it, then the product key when nothing
// else is left in it. The product's other keys stay: another version's
// record, which a launcher of its own reads, and the game's settings.
void Delete_Record_Key(HKEY company, const WCHAR *product, const WCHAR *version)
{
    HKEY key;

    if (product[0] == 0 || Open_Key(company, product, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    Delete_Key_Tree(key, version);
    RegCloseKey(key);
    Delete_If_Empty(company, product);
}

} // namespace

int ReadRegistry(const char *company, const char *product, const char *version)
{
    WCHAR path[KEY_PATH_BUFFER];
    int starts[2];
    char value[FOLDER_BUFFER];
    WCHAR wide[FOLDER_BUFFER];
    DWORD size = sizeof(value);
    HKEY key;

    const char *const parts[] = {"Software", company, product, version};

    if (!Build_Key_Path(path, parts, starts))
        return 0;
    if (Open_Key(HKEY_CURRENT_USER, path, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    LONG result = RegQueryValueExA(key, "folder", nullptr, nullptr, (BYTE *)value, &size);
    Read_Wide(key, wide);
    RegCloseKey(key);
    // Windows NT keeps text as Unicode, and its Unicode value decides: the
    // ANSI reading of a folder that fits may not (RegQueryValueExA then
    // gives ERROR_MORE_DATA), and the launcher would take the game for not
    // installed and run the installer at every start.
    if (wide[0] != L'\0') {
        Ansi_Reading(wide, szFolderRead);
        for (size_t i = 0; i < std::size(wide); i++)
            szFolderReadW[i] = wide[i];
        return 1;
    }
    if (result != ERROR_SUCCESS || size > sizeof(value))
        return 0;

    // The value's type is not examined, and an installer may have written it
    // without a terminator: take its text up to the first terminator, and
    // only when it leaves room for one.
    DWORD length = Text_Length(value, size);
    if (length >= std::size(szFolderRead))
        return 0;
    // No NUL before `length`: lstrcpynA copies it all and terminates it.
    lstrcpynA(szFolderRead, value, length + 1);
    for (size_t i = 0; i < std::size(wide); i++)
        szFolderReadW[i] = wide[i];
    return 1;
}

int DeleteRegistry(const char *company, const char *product, const char *version)
{
    WCHAR path[KEY_PATH_BUFFER];
    int starts[2];
    HKEY key;

    const char *const parts[] = {"Software", company, product, version};

    if (!Build_Key_Path(path, parts, starts))
        return 0;
    // "Software\<company>", the product's name and the version's, each
    // ended where the next begins.
    path[starts[0] - 1] = L'\0';
    path[starts[1] - 1] = L'\0';
    if (Open_Key(HKEY_CURRENT_USER, path, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
        return 0;

    // Only this version's record goes; the keys above it go only when
    // nothing else is left in them: other versions and products of the
    // company, and everything the game keeps there, stay.
    Delete_Record_Key(key, path + starts[0], path + starts[1]);
    RegCloseKey(key);
    Delete_If_Empty(HKEY_CURRENT_USER, path);
    return 1;
}
