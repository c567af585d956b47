// Bad input and faults, end to end: odd installation records, odd start
// folders, and outside programs that are missing, fail, crash or run long.
// Each row states what the user sees (the exact warnings, or none) and which
// programs ran; every row also checks that the launcher ended with 0, left
// no process behind and lost nothing: the registry outside its product key,
// with another product's and another company's keys in it, is as before.
#include "support/game_cd.h"
#include "support/launcher_driver.h"
#include "support/linux_cpu.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

namespace
{
const Texts all_children = {"SETUP", "SETSOUND", "GAME"};
const Texts incomplete = {"Installation Incomplete  "};

// "Fortsetzen" ends the launcher once it has started the replay; without
// one it leaves the window for another choice, and the user cancels.
enum Road { first_run, start, continue_ends, continue_stays };

Texts Folder_Warnings(const std::string &folder)
{
    return {"Folder Error " + folder, "Cannot Find " + folder};
}

class HardeningTest : public FlowTest
{
  protected:
    // Runs `road` and returns the warnings it showed. Start and Continue
    // must find the launcher window; the first run must never show it. The
    // window that a Continue leaves must take the user's Cancel, and no
    // warning may come then, not even one that came late. Every other road
    // must end the launcher by itself.
    Texts Drive(Road road, size_t warnings, const char *folder = "E:\\", const Caller & = {})
    {
        // Measured with the real pauses: install_fast.exe polls for the
        // record a hundred times as often.
        LauncherRun run(!launcher.empty() ? launcher.c_str()
                        : measure_cpu     ? "install.exe"
                                          : fast_launcher,
                        folder);
        HWND window = road == first_run ? nullptr : run.VisibleWindow();
        EXPECT_TRUE(road == first_run || window) << "no launcher window";
        Texts seen;
        if (road == first_run || measure_cpu) {
            MessageWatch watch(run.Pid());
            if (window)
                PostMessageA(GetDlgItem(window, id_start), BM_CLICK, 0, 0);
            if (measure_cpu)
                Measure_Cpu(road == first_run);
            run.ExitCode(20000);
            seen = WarningTexts(watch.Stop());
        } else if (window) {
            seen =
                WarningTexts(run.Press(window, road == start ? id_start : id_continue, warnings));
            if (road == continue_stays) {
                EXPECT_TRUE(IsWindowVisible(window)) << "the window did not stay";
                EXPECT_EQ(Texts{}, WarningTexts(run.Press(window, id_cancel, 0)));
            }
        }
        exit_code = run.ExitCode(20000);
        if (road == first_run) {
            EXPECT_FALSE(run.WindowSeen());
        }
        ExpectNothingLeft(road == continue_ends ? 10000 : 0);
        return seen;
    }

    // Measures the launcher's processor time while it only waits: over 2 s
    // of the game, or, on the first run, over the 0.8 s between its first
    // two looks for the record, 1 s and 2 s after the installer's end. Its
    // own threads only: the warning watch and the readings are work of this
    // process and of Wine's server.
    void Measure_Cpu(bool first_run)
    {
        // Found once, before the first reading.
        int launcher = LinuxPid("install.exe");
        long long from = NowMs() + 500, until = from + 2000;
        if (first_run) {
            ASSERT_TRUE(log.WaitForEnd("SETUP", 10000));
            from = log.Only("SETUP").ended + 1100;
            until = from + 800;
        }
        Sleep((DWORD)std::max(0LL, from - NowMs()));
        double before = LinuxCpuMs(launcher);
        Sleep((DWORD)std::max(0LL, until - NowMs()));
        double after = LinuxCpuMs(launcher);
        // Not read is no measurement, which fails the row.
        cpu_while_waiting = before < 0 || after < 0 ? -1 : after - before;
    }

    DWORD exit_code = still_running;
    // A launcher put elsewhere than E:\install.exe, started in place.
    std::string launcher;
    bool measure_cpu = false;
    double cpu_while_waiting = -1;
};

TEST_F(HardeningTest, OddRecordValuesAreReadSafely)
{
    const std::string long_259 = "G:\\" + std::string(256, 'x');
    const std::string umlauts = "G:\\Gr\xF6\xDF"
                                "e";
    auto text = [](const char *chars, size_t size) { return std::string(chars, size); };
    struct {
        const char *how;
        Road road;            // first_run: not installed, and no installer on the CD
        bool key;             // the record's key exists
        DWORD type;           // REG_NONE: no "folder" value
        std::string data;     // the value's bytes, exactly
        Texts warnings;       // on the first run, or on Start
        std::string plays_in; // the game's folder, or "" when it does not start
    } rows[] = {
        // clang-format off
        {"no key", first_run, false, REG_NONE, "", incomplete, ""},
        {"a key without \"folder\"", first_run, true, REG_NONE, "", incomplete, ""},
        {"an empty text", start, true, REG_SZ, text("", 1), {"Cannot Find (untitled)"}, ""},
        {"an empty value", start, true, REG_SZ, "", {"Cannot Find (untitled)"}, ""},
        {"259 characters", start, true, REG_SZ, long_259 + '\0', Folder_Warnings(long_259), ""},
        {"259 characters, no terminator", start, true, REG_SZ, long_259, Folder_Warnings(long_259), ""},
        {"260 characters", first_run, true, REG_SZ, long_259 + "y" + '\0', incomplete, ""},
        {"260 characters, no terminator", first_run, true, REG_SZ, long_259 + "y", incomplete, ""},
        {"5000 characters", first_run, true, REG_SZ, "G:\\" + std::string(4997, 'x') + '\0', incomplete, ""},
        {"no terminator", start, true, REG_SZ, "G:\\VEXMOOR", {}, game_folder},
        {"REG_BINARY", start, true, REG_BINARY, text("G:\\VEXMOOR\0", 11), {}, game_folder},
        {"REG_DWORD", start, true, REG_DWORD, text("\x01\0\0\0", 4), {"Cannot Find \x01"}, ""},
        {"REG_EXPAND_SZ", start, true, REG_EXPAND_SZ, text("G:\\VEXMOOR\0", 11), {}, game_folder},
        // Not expanded: the record is plain text.
        {"REG_EXPAND_SZ with a variable", start, true, REG_EXPAND_SZ, text("%SystemDrive%\\VEXMOOR\0", 22),
         {"Cannot Find %SystemDrive%\\VEXMOOR"}, ""},
        {"REG_MULTI_SZ", start, true, REG_MULTI_SZ, text("G:\\VEXMOOR\0G:\\OTHER\0\0", 21), {}, game_folder},
        {"characters above 127", start, true, REG_SZ, umlauts + '\0', {}, umlauts},
        {"spaces", start, true, REG_SZ, text("G:\\VEX MOOR\0", 12), {}, "G:\\VEX MOOR"},
        {"a trailing backslash", start, true, REG_SZ, text("G:\\VEXMOOR\\\0", 12), {}, game_folder},
        // No colon: the folder is not entered (as for a text without a drive).
        {"a UNC path", start, true, REG_SZ, text("\\\\server\\share\0", 15), {"Cannot Find \\\\server\\share"}, ""},
        {"a file, not a folder", start, true, REG_SZ, text("G:\\VEXMOOR\\vexmoor.bat\0", 23),
         Folder_Warnings("G:\\VEXMOOR\\vexmoor.bat"), ""},
        {"a drive that does not exist", start, true, REG_SZ, text("Q:\\VEXMOOR\0", 11), Folder_Warnings("Q:\\VEXMOOR"), ""},
        {"format directives", start, true, REG_SZ, text("G:\\%s%n%x%%\0", 12), Folder_Warnings("G:\\%s%n%x%%"), ""},
        // clang-format on
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        SetUp();
        // By their names in the ANSI code page, as the records name them.
        for (const char *folder : {"G:\\VEX MOOR", umlauts.c_str()}) {
            CreateDirectoryA(folder, nullptr);
            ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(folder)) << folder;
            PlaceBatchFile(std::string(folder) + "\\vexmoor.bat", "GAME");
        }
        if (row.key)
            WriteKey(record_key, row.type == REG_NONE ? nullptr : "folder", row.type,
                     row.data.data(), (DWORD)row.data.size());
        std::string before = DumpKeys("Software");

        EXPECT_EQ(row.warnings, Drive(row.road, row.warnings.size()));
        EXPECT_EQ(0u, exit_code);
        EXPECT_EQ(row.plays_in.empty() ? Texts{} : Texts{"GAME"}, Roles(log.Runs()));
        if (!row.plays_in.empty()) {
            EXPECT_EQ(row.plays_in, log.Only("GAME").folder);
        }
        // Neither Start nor a first run without an installer writes anything.
        EXPECT_EQ(before, DumpKeys("Software"));
    }
}

// Wherever the launcher is, and whatever folder is current when it starts
// (the Run box, a command prompt, a shortcut or a game front end start it by
// its path from elsewhere), its own folder is the CD's.
TEST_F(HardeningTest, OddStartFoldersKeepEveryChildInPlace)
{
    // 242 characters: room is left for "\install.exe" within the 260 a path
    // may have.
    std::string deep = "E:\\";
    while (deep.size() < 220)
        deep += "FOLDER NUMBER " + std::to_string(deep.size()) + "\\";
    deep += std::string(242 - deep.size(), 'D');
    struct {
        const char *how;
        std::string cd;             // where install.exe and setup.exe are
        const char *current;        // the folder current when it starts
        const char *installed_from; // setup.exe's current folder
        const char *sound_line;
        // NoDefaultCurrentDirectoryInExePath set, as administrators and
        // security baselines set it: no bare name is looked for in the
        // current folder.
        bool locked = false;
    } rows[] = {
        // clang-format off
        {"started by its path from another drive", "E:\\", "C:\\windows", "E:\\", "Setsound.exe /DE"},
        {"started by its path from a deeper folder of the CD", "E:\\", "E:\\SETUP", "E:\\", "Setsound.exe /DE"},
        {"a folder with spaces, started from the game drive", "E:\\VEXMOOR CD\\DISC 1", "G:\\",
         "E:\\VEXMOOR CD\\DISC 1", "Setsound.exe /DE"},
        {"characters above 127", u8"E:\\Spiele\\Gr\u00F6\u00DFe", u8"E:\\Spiele\\Gr\u00F6\u00DFe",
         u8"E:\\Spiele\\Gr\u00F6\u00DFe", "Setsound.exe /DE"},
        // A copy of the disc in a folder whose name this Windows' code page
        // lacks ("\u0141"), started from another folder: its installer runs
        // there, and the sound setup is given that drive's letter.
        {"a copy in a folder named outside the code page", u8"G:\\Gry \u0141ukasza\\Vexmoor", "C:\\windows",
         u8"G:\\Gry \u0141ukasza\\Vexmoor", "Setsound.exe /DG"},
        {"a folder path of 240 characters and more", deep, "E:\\", deep.c_str(), "Setsound.exe /DE"},
        {"a copy of the CD on another drive", "G:\\CD COPY", "G:\\CD COPY", "G:\\CD COPY", "Setsound.exe /DG"},
        // No drive letter to give the sound setup: its switch goes alone.
        {"the CD shared on the network", "\\\\vexmoor\\cd", "C:\\windows", "\\\\vexmoor\\cd",
         "Setsound.exe /D"},
        {"started from another drive where Windows is locked down", "E:\\", "C:\\windows", "E:\\",
         "Setsound.exe /DE", true},
        // clang-format on
    };
    ASSERT_GE(deep.size(), 240u);
    ASSERT_LT(deep.size() + sizeof("\\install.exe"), (size_t)MAX_PATH);
    char ansi[4] = "";
    WCHAR back[4] = L"";
    WideCharToMultiByte(CP_ACP, 0, L"\u0141", -1, ansi, sizeof(ansi), nullptr, nullptr);
    MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 4);
    ASSERT_NE(L'\u0141', back[0]) << "code page " << GetACP() << " has \"\u0141\"";
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        SetUp();
        MakeFolders(row.cd);
        std::string installer = row.cd + (row.cd.back() == '\\' ? "" : "\\") + "setup.exe";
        launcher = row.cd + (row.cd.back() == '\\' ? "" : "\\") + "install.exe";
        PlaceStandIn(installer);
        ASSERT_TRUE(CopyFileW(Wide(ProgramFolder() + fast_launcher).c_str(), Wide(launcher).c_str(),
                              FALSE));
        SetChildActions("SETUP", "record=G:\\VEXMOOR");
        std::string before = DumpKeys("Software", product_key);
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", row.locked ? "1" : nullptr);
        Texts warnings = Drive(first_run, 0, row.current);
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", nullptr);

        EXPECT_EQ(Texts{}, warnings);
        EXPECT_EQ(0u, exit_code);
        ASSERT_EQ(all_children, Roles(log.Runs()));
        EXPECT_EQ(row.installed_from, log.Only("SETUP").unicode_folder);
        EXPECT_EQ("setup.exe", log.Only("SETUP").command_line);
        EXPECT_EQ(row.sound_line, log.Only("SETSOUND").command_line);
        EXPECT_EQ(game_folder, log.Only("SETSOUND").folder);
        EXPECT_EQ(game_folder, log.Only("GAME").folder);
        EXPECT_EQ(before, DumpKeys("Software", product_key));
        DeleteFileW(Wide(installer).c_str());
        if (row.cd != "E:\\")
            DeleteFileW(Wide(launcher).c_str());
    }
    launcher.clear();
}

// Besides the warnings, the programs that ran, the launcher's end and the
// registry, a row may check that the misbehaving program crashed, that its
// broadcast was answered within 2 s, or that the launcher's processor time
// stayed at 0 while it waited (`idle`, with the real pauses).
enum Also { nothing, crashed, answered, idle };

TEST_F(HardeningTest, OutsideProgramsThatAreMissingFailOrCrash)
{
    const char *record = "record=G:\\VEXMOOR";
    const Texts none = {};
    struct {
        const char *how;
        Road road;
        const char *setup;   // the installer's actions; nullptr: none on the CD
        const char *removed; // a game file taken away
        const char *role;    // the program that misbehaves
        const char *actions; // what it does
        Also also;
        Texts warnings;
        Texts roles;
    } rows[] = {
        // clang-format off
        {"installer ends 1", first_run, "", nullptr, "SETUP", "record=G:\\VEXMOOR;exit=1", nothing, none, all_children},
        {"installer ends 259", first_run, "", nullptr, "SETUP", "record=G:\\VEXMOOR;exit=259", nothing, none, all_children},
        {"installer crashes after the record", first_run, "", nullptr, "SETUP", "record=G:\\VEXMOOR;crash", crashed, none, all_children},
        {"installer crashes before the record", first_run, "", nullptr, "SETUP", "crash", crashed, incomplete, {"SETUP"}},
        // Each sends to every window while the launcher waits for it.
        {"installer broadcasts", first_run, "", nullptr, "SETUP", "broadcast;record=G:\\VEXMOOR", answered, none, all_children},
        {"sound setup broadcasts", first_run, record, nullptr, "SETSOUND", "broadcast", answered, none, all_children},
        {"game broadcasts", start, nullptr, nullptr, "GAME", "broadcast", answered, none, {"GAME"}},
        // A program that the installer left behind writes the record while
        // the launcher pauses between its looks for it.
        {"the record comes 3 s after the installer ended", first_run, "spawn=LATE", nullptr, "LATE",
         "sleep=3000;record=G:\\VEXMOOR", idle, none, {"SETUP", "LATE", "SETSOUND", "GAME"}},
        {"sound setup missing", first_run, record, "Setsound.exe", "", "", nothing, incomplete, {"SETUP"}},
        {"sound setup ends 1", first_run, record, nullptr, "SETSOUND", "exit=1", nothing, none, all_children},
        {"sound setup ends 259", first_run, record, nullptr, "SETSOUND", "exit=259", nothing, none, all_children},
        {"sound setup crashes", first_run, record, nullptr, "SETSOUND", "crash", crashed, none, all_children},
        {"game missing after installing", first_run, record, "vexmoor.bat", "", "", nothing, {"Game Run Error 1"}, {"SETUP", "SETSOUND"}},
        {"game missing", start, nullptr, "vexmoor.bat", "", "", nothing, {"Game Run Error 1"}, none},
        {"game ends 1", start, nullptr, nullptr, "GAME", "exit=1", nothing, none, {"GAME"}},
        {"game ends 259", start, nullptr, nullptr, "GAME", "exit=259", nothing, none, {"GAME"}},
        {"game crashes", start, nullptr, nullptr, "GAME", "crash", crashed, none, {"GAME"}},
        {"game runs 3 s", start, nullptr, nullptr, "GAME", "sleep=3000", idle, none, {"GAME"}},
        {"replay missing", continue_stays, nullptr, "REPLAY.BAT", "", "", nothing, none, none},
        // The launcher has ended before the replay does: how the replay ends
        // (0, 1, 259 or a crash) cannot matter, and one row stands for all.
        {"replay crashes", continue_ends, nullptr, nullptr, "REPLAY", "crash", crashed, none, {"REPLAY"}},
        // clang-format on
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        SetUp();
        if (row.setup)
            PlaceInstaller(row.setup);
        if (row.removed)
            RemoveGameFile(row.removed);
        if (*row.actions)
            SetChildActions(row.role, row.actions);
        if (row.road != first_run)
            WriteText(record_key, "folder", game_folder);
        measure_cpu = row.also == idle;
        const char *written = row.road == first_run ? product_key : nullptr;
        std::string before = DumpKeys("Software", written);

        EXPECT_EQ(row.warnings, Drive(row.road, row.warnings.size()));
        EXPECT_EQ(0u, exit_code);
        EXPECT_EQ(row.roles, Roles(log.Runs()));
        if (row.also == crashed) {
            EXPECT_LT(log.Only(row.role).ended, 0) << "the program did not crash";
        } else if (row.also == answered) {
            // While the launcher waited, not once the row gave up on the
            // launcher (20 s) and ended it.
            long long broadcast_ms = log.Only(row.role).broadcast_ms;
            EXPECT_GE(broadcast_ms, 0) << "the broadcast was not answered";
            EXPECT_LT(broadcast_ms, 2000);
        } else if (row.also == idle) {
            // Its threads did not run: the benchmark too reads 0 ms. A wait
            // that woke 20 times a second took 1 to 5 ms.
            std::cout << row.how << ": " << cpu_while_waiting << " ms of processor time\n";
            EXPECT_GE(cpu_while_waiting, 0) << "not measured";
            EXPECT_LE(cpu_while_waiting, 0.5);
        }
        EXPECT_EQ(before, DumpKeys("Software", written));
    }
}
} // namespace
