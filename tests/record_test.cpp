// The installation record, on the scratch prefix's HKEY_CURRENT_USER. Every
// test starts and ends without the company key.
#include "launcher/launcher.h"
#include "record/record.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
const char last_good[] = "G:\\LAST\\GOOD";

class RecordTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        DeleteTree(company_key);
        DeleteTree("Software\\Halvaro Games");
    }
    void TearDown() override
    {
        SetUp();
    }

    int Read()
    {
        return ReadRegistry(szCompanyName, szProductName, szVersionName);
    }
    int Delete()
    {
        return DeleteRegistry(szCompanyName, szProductName, szVersionName);
    }
    // Leaves szFolderRead holding `last_good` from a real read.
    void ReadLastGood(const Caller & = {})
    {
        WriteText(record_key, "folder", last_good);
        ASSERT_EQ(1, Read());
        ASSERT_STREQ(last_good, szFolderRead);
    }
};

TEST_F(RecordTest, FolderValueIsReadAsText)
{
    const std::string chars_259(259, 'x'), chars_260(260, 'x'), chars_5000(5000, 'x');
    const char binary[] = "G:\\A\0junk after the terminator";
    struct {
        const char *name;
        DWORD type;
        std::string data; // written as it stands: include the terminator to write one
        int result;
        std::string read;
    } cases[] = {
        {"text", REG_SZ, std::string("G:\\GAMES\\XY", 12), 1, "G:\\GAMES\\XY"},
        {"empty text", REG_SZ, std::string(1, '\0'), 1, ""},
        {"no data", REG_BINARY, "", 1, ""},
        {"259 characters", REG_SZ, chars_259 + '\0', 1, chars_259},
        {"260 characters", REG_SZ, chars_260 + '\0', 0, ""},
        {"5000 characters", REG_SZ, chars_5000 + '\0', 0, ""},
        {"text without terminator", REG_SZ, "G:\\GAMES", 1, "G:\\GAMES"},
        {"259 bytes without terminator", REG_BINARY, chars_259, 1, chars_259},
        {"260 bytes without terminator", REG_BINARY, chars_260, 0, ""},
        {"data after the terminator", REG_BINARY, std::string(binary, sizeof(binary)), 1, "G:\\A"},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        ReadLastGood();
        WriteKey(record_key, "folder", c.type, c.data.data(), c.data.size());
        EXPECT_EQ(c.result, Read());
        // A failed read leaves the text of the last successful one.
        EXPECT_EQ(c.result ? c.read : last_good, std::string(szFolderRead));
    }
}

// A record that a Unicode installer wrote is read by its Unicode text on
// Windows NT, however long its ANSI reading: a folder of 130 Japanese
// letters is 391 bytes in code page 65001 (UTF-8), which CTest runs this
// test under too (RecordTest.UnicodeFolderIsReadWhole.Utf8), and 261 in
// the East Asian code pages. The ANSI text keeps what fits, from the drive
// letter on.
TEST_F(RecordTest, UnicodeFolderIsReadWhole)
{
    char expected[8] = "";
    GetEnvironmentVariableA("EXPECTED_CODE_PAGE", expected, sizeof(expected));
    ASSERT_EQ(std::to_string(GetACP()), expected) << "the locale does not give this code page";
    std::string japanese = "G:\\";
    for (int i = 0; i < 130; i++)
        japanese += u8"\u30B2"; // "ゲ"
    struct {
        const char *name;
        std::string folder; // written as Unicode text, in UTF-8
        int result;
    } cases[] = {
        {"130 Japanese letters", japanese, 1},
        {"259 characters", "G:\\" + std::string(256, 'x'), 1},
        {"260 characters", "G:\\" + std::string(257, 'x'), 0},
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        ReadLastGood();
        WriteText(record_key, "folder", c.folder);
        EXPECT_EQ(c.result, Read());
        EXPECT_EQ(c.result ? Wide(c.folder) : Wide(last_good), std::wstring(szFolderReadW));
        EXPECT_EQ(0, strncmp(szFolderRead, c.result ? "G:\\" : last_good, 3));
    }
}

TEST_F(RecordTest, MissingRecordReadsAsNotInstalled)
{
    struct {
        const char *name;
        void (*arrange)();
    } cases[] = {
        // clang-format off
        {"no company key", [] { DeleteTree(company_key); }},
        // The company's and the product's keys stay.
        {"no version key", [] { DeleteTree(record_key); }},
        {"key without folder value", [] { DeleteTree(record_key); WriteText(record_key, "Folder2", "G:\\X"); }},
        {"record of another version only", [] {
             DeleteTree(record_key);
             WriteText("Software\\Halvaro\\Vexmoor\\Version 1.1", "folder", "G:\\X");
         }},
        // clang-format on
    };
    for (auto &c : cases) {
        SCOPED_TRACE(c.name);
        ReadLastGood();
        c.arrange();
        EXPECT_EQ(0, Read());
        EXPECT_STREQ(last_good, szFolderRead);
    }
}

TEST_F(RecordTest, DeletionTakesTheRecordTreeAndTheEmptyKeysAboveIt)
{
    WriteText(record_key, "folder", "G:\\GAMES\\XY");
    WriteText((std::string(record_key) + "\\Saves\\Slot 1").c_str(), "name", "Moor");
    std::string deep = std::string(record_key) + "\\Deep";
    for (int level = 0; level < 40; level++)
        deep += "\\" + std::to_string(level);
    WriteText(deep.c_str(), "v", "x");
    // Names of the greatest length the registry allows, three levels deep:
    // longer as a whole than any one path the registry takes.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, record_key, 0, KEY_ALL_ACCESS, &key));
    for (char c : {'a', 'b', 'c'}) {
        HKEY parent = key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(parent, std::string(255, c).c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegCloseKey(parent);
    }
    RegCloseKey(key);

    EXPECT_EQ(1, Delete());
    EXPECT_FALSE(KeyExists("Software\\Halvaro\\Vexmoor"));
    EXPECT_FALSE(KeyExists(company_key));
    EXPECT_EQ(0, Read());
}

TEST_F(RecordTest, DeletionLeavesEverythingElseAsItWas)
{
    const char *const kept[][3] = {
        // Another version's record, which a launcher of its own reads.
        {"Software\\Halvaro\\Vexmoor\\Version 2.0", "folder", "G:\\VEXMOOR 2"},
        // The game's settings, and a value of the product key's own.
        {"Software\\Halvaro\\Vexmoor\\Settings", "Sprache", "Deutsch"},
        {"Software\\Halvaro\\Vexmoor", "Language", "Deutsch"},
        {"Software\\Halvaro\\Othergame\\Version 2.0", "folder", "G:\\OTHER"},
        {"Software\\Halvaro Games\\Vexmoor\\Version 1.0", "folder", "G:\\NEAR"},
    };
    for (auto &value : kept) {
        SCOPED_TRACE(value[0]);
        SetUp();
        WriteText(record_key, "folder", "G:\\GAMES\\XY");
        WriteText(value[0], value[1], value[2]);

        EXPECT_EQ(1, Delete());
        EXPECT_FALSE(KeyExists(record_key));
        EXPECT_EQ(value[2], ReadText(value[0], value[1]));
        EXPECT_EQ(0, Read());
    }
}

TEST_F(RecordTest, CompanyKeyWithAValueOfItsOwnStays)
{
    WriteText(record_key, "folder", "G:\\GAMES\\XY");
    WriteText(company_key, "Support", "www");

    EXPECT_EQ(1, Delete());
    EXPECT_FALSE(KeyExists("Software\\Halvaro\\Vexmoor"));
    EXPECT_EQ("www", ReadText(company_key, "Support"));
}

TEST_F(RecordTest, DeletionWithoutCompanyKeyDeletesNothing)
{
    WriteText("Software\\Halvaro Games\\Vexmoor\\Version 1.0", "folder", "G:\\NEAR");
    EXPECT_EQ(0, Delete());
    EXPECT_EQ("G:\\NEAR", ReadText("Software\\Halvaro Games\\Vexmoor\\Version 1.0", "folder"));

    // A company key without this product is left alone unless it is empty.
    WriteText("Software\\Halvaro\\Othergame", "folder", "G:\\OTHER");
    EXPECT_EQ(1, Delete());
    EXPECT_EQ("G:\\OTHER", ReadText("Software\\Halvaro\\Othergame", "folder"));
}
} // namespace
