// Bad input and faults, end to end: odd installation records, odd start
// folders, and outside programs that are missing, fail, crash or run long.
// Each row states what the user sees (the exact warnings, or none) and which
// programs ran; every row also checks that the launcher ended with 0, left
// no process behind and lost nothing: the registry outside its own record,
// with another product's and another company's keys in it, is as before.
#include "support/game_cd.h"
#include "support/launcher_driver.h"
#include "support/linux_cpu.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <iostream>

namespace
{
const Texts all_children = {"SETUP", "SETSOUND", "GAME"};
const Texts incomplete = {"Installation Incomplete  "};

enum Road { first_run, start, continue_ };

Texts Folder_Warnings(const std::string &folder)
{
    return {"Folder Error " + folder, "Cannot Find " + folder};
}

class HardeningTest : public FlowTest
{
  protected:
    // Runs `road` and returns the warnings it showed. Start and Continue
    // must find the launcher window; the first run must never show it. After
    // a Continue that started no replay the window must stay (`stays`): the
    // user cancels, and no warning may come, not even one that came late.
    // Every other road must end the launcher by itself.
    Texts Drive(Road road, size_t warnings, const char *folder = "E:\\", bool stays = false,
                const Caller & = {})
    {
        // Measured with the real pauses: install_fast.exe polls for the
        // record a hundred times as often.
        LauncherRun run(measure_cpu ? "install.exe" : fast_launcher, folder);
        HWND window = road == first_run ? nullptr : run.VisibleWindow();
        EXPECT_TRUE(road == first_run || window) << "no launcher window";
        Texts seen;
        if (measure_cpu) {
            Measure_Cpu(window);
        } else if (road == first_run) {
            MessageWatch watch(run.Pid());
            run.ExitCode(20000);
            seen = WarningTexts(watch.Stop());
        } else if (window) {
            seen =
                WarningTexts(run.Press(window, road == start ? id_start : id_continue, warnings));
            if (stays) {
                EXPECT_TRUE(IsWindowVisible(window)) << "the window did not stay";
                EXPECT_EQ(Texts{}, WarningTexts(run.Press(window, id_cancel, 0)));
            }
        }
        exit_code = run.ExitCode(20000);
        if (road == first_run) {
            EXPECT_FALSE(run.WindowSeen());
        }
        ExpectNothingLeft(road == continue_ ? 10000 : 0);
        return seen;
    }

    // Measures the processor time of the launcher and of Wine's server,
    // which works for it on each call it makes, over 2 s while the launcher
    // only waits: for the game that "Starten" in `window` started, or, on
    // the first run, between its looks for the record after the installer.
    void Measure_Cpu(HWND window)
    {
        // Found once, before the first reading: the search through /proc
        // is work for Wine's server too.
        int launcher = LinuxPid("install.exe"), server = LinuxPid("wineserver");
        auto cpu = [&] {
            double ours = LinuxCpuMs(launcher), its = LinuxCpuMs(server);
            return ours < 0 || its < 0 ? -1 : ours + its;
        };
        // No warning watch meanwhile: its window polls would count as the
        // server's work. A warning would keep the launcher from ending.
        if (window)
            PostMessageA(GetDlgItem(window, id_start), BM_CLICK, 0, 0);
        else
            EXPECT_TRUE(log.WaitForEnd("SETUP", 10000));
        Sleep(500);
        double before = cpu();
        Sleep(2000);
        double after = cpu();
        // Not read is no measurement, which fails the row.
        cpu_while_waiting = before < 0 || after < 0 ? -1 : after - before;
    }

    DWORD exit_code = still_running;
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
        bool key;             // the record's key exists
        DWORD type;           // REG_NONE: no "folder" value
        std::string data;     // the value's bytes, exactly
        Texts warnings;       // on the first run when not installed, else on Start
        std::string plays_in; // the game's folder, or "" when it does not start
    } rows[] = {
        // clang-format off
        {"no key", false, REG_NONE, "", incomplete, ""},
        {"a key without \"folder\"", true, REG_NONE, "", incomplete, ""},
        {"an empty text", true, REG_SZ, text("", 1), {"Cannot Find (untitled)"}, ""},
        {"an empty value", true, REG_SZ, "", {"Cannot Find (untitled)"}, ""},
        {"259 characters", true, REG_SZ, long_259 + '\0', Folder_Warnings(long_259), ""},
        {"259 characters, no terminator", true, REG_SZ, long_259, Folder_Warnings(long_259), ""},
        {"260 characters", true, REG_SZ, long_259 + "y" + '\0', incomplete, ""},
        {"260 characters, no terminator", true, REG_SZ, long_259 + "y", incomplete, ""},
        {"5000 characters", true, REG_SZ, "G:\\" + std::string(4997, 'x') + '\0', incomplete, ""},
        {"no terminator", true, REG_SZ, "G:\\VEXMOOR", {}, game_folder},
        {"REG_BINARY", true, REG_BINARY, text("G:\\VEXMOOR\0", 11), {}, game_folder},
        {"REG_DWORD", true, REG_DWORD, text("\x01\0\0\0", 4), {"Cannot Find \x01"}, ""},
        {"REG_EXPAND_SZ", true, REG_EXPAND_SZ, text("G:\\VEXMOOR\0", 11), {}, game_folder},
        // Not expanded: the record is plain text.
        {"REG_EXPAND_SZ with a variable", true, REG_EXPAND_SZ, text("%SystemDrive%\\VEXMOOR\0", 22),
         {"Cannot Find %SystemDrive%\\VEXMOOR"}, ""},
        {"REG_MULTI_SZ", true, REG_MULTI_SZ, text("G:\\VEXMOOR\0G:\\OTHER\0\0", 21), {}, game_folder},
        {"characters above 127", true, REG_SZ, umlauts + '\0', {}, umlauts},
        {"spaces", true, REG_SZ, text("G:\\VEX MOOR\0", 12), {}, "G:\\VEX MOOR"},
        {"a trailing backslash", true, REG_SZ, text("G:\\VEXMOOR\\\0", 12), {}, game_folder},
        {"a UNC path", true, REG_SZ, text("\\\\server\\share\0", 15), {"Cannot Find \\\\server\\share"}, ""},
        {"a file, not a folder", true, REG_SZ, text("G:\\VEXMOOR\\vexmoor.bat\0", 23),
         Folder_Warnings("G:\\VEXMOOR\\vexmoor.bat"), ""},
        {"a drive that does not exist", true, REG_SZ, text("Q:\\VEXMOOR\0", 11), Folder_Warnings("Q:\\VEXMOOR"), ""},
        {"format directives", true, REG_SZ, text("G:\\%s%n%x%%\0", 12), Folder_Warnings("G:\\%s%n%x%%"), ""},
        // clang-format on
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        SetUp();
        for (const char *folder : {"G:\\VEX MOOR", umlauts.c_str()}) {
            MakeFolders(folder);
            PlaceBatchFile(std::string(folder) + "\\vexmoor.bat", "GAME");
        }
        if (row.key)
            WriteKey(record_key, row.type == REG_NONE ? nullptr : "folder", row.type,
                     row.data.data(), (DWORD)row.data.size());
        bool installed = row.key && row.type != REG_NONE && row.warnings != incomplete;
        std::string before = DumpKeys("Software");

        EXPECT_EQ(row.warnings, Drive(installed ? start : first_run, row.warnings.size()));
        EXPECT_EQ(0u, exit_code);
        EXPECT_EQ(row.plays_in.empty() ? Texts{} : Texts{"GAME"}, Roles(log.Runs()));
        if (!row.plays_in.empty()) {
            EXPECT_EQ(row.plays_in, log.Only("GAME").folder);
        }
        // Neither Start nor a first run without an installer writes anything.
        EXPECT_EQ(before, DumpKeys("Software"));
    }
}

TEST_F(HardeningTest, OddStartFoldersKeepEveryChildInPlace)
{
    // 242 characters: room is left for "\setup.exe" within the 260 a path
    // may have.
    std::string deep = "E:\\";
    while (deep.size() < 220)
        deep += "FOLDER NUMBER " + std::to_string(deep.size()) + "\\";
    deep += std::string(242 - deep.size(), 'D');
    struct {
        const char *how;
        std::string folder;
        const char *sound_line;
    } rows[] = {
        // clang-format off
        {"the root of the CD", "E:\\", "Setsound.exe /DE"},
        {"a folder with spaces", "E:\\VEXMOOR CD\\DISC 1", "Setsound.exe /DE"},
        {"characters above 127", "E:\\Spiele\\Gr\xF6\xDF" "e", "Setsound.exe /DE"},
        {"a folder path of 240 characters and more", deep, "Setsound.exe /DE"},
        {"a copy of the CD on another drive", "G:\\CD COPY", "Setsound.exe /DG"},
        // clang-format on
    };
    ASSERT_GE(deep.size(), 240u);
    ASSERT_LT(deep.size() + sizeof("\\setup.exe"), (size_t)MAX_PATH);
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        SetUp();
        MakeFolders(row.folder);
        std::string installer = row.folder + (row.folder.back() == '\\' ? "" : "\\") + "setup.exe";
        PlaceStandIn(installer);
        SetChildActions("SETUP", "record=G:\\VEXMOOR");
        std::string before = DumpKeys("Software", company_key);

        EXPECT_EQ(Texts{}, Drive(first_run, 0, row.folder.c_str()));
        EXPECT_EQ(0u, exit_code);
        ASSERT_EQ(all_children, Roles(log.Runs()));
        EXPECT_EQ(row.folder, log.Only("SETUP").folder);
        EXPECT_EQ("setup.exe", log.Only("SETUP").command_line);
        EXPECT_EQ(row.sound_line, log.Only("SETSOUND").command_line);
        EXPECT_EQ(game_folder, log.Only("SETSOUND").folder);
        EXPECT_EQ(game_folder, log.Only("GAME").folder);
        EXPECT_EQ(before, DumpKeys("Software", company_key));
        DeleteFileA(installer.c_str());
    }
}

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
        const char *actions; // what it does; "sleep=..." first: the launcher's time is measured
        Texts warnings;
        Texts roles;
    } rows[] = {
        // clang-format off
        {"installer missing", first_run, nullptr, nullptr, "", "", incomplete, none},
        {"installer ends 0 with no record", first_run, "exit=0", nullptr, "", "", incomplete, {"SETUP"}},
        {"installer ends 1", first_run, "record=G:\\VEXMOOR;exit=1", nullptr, "", "", none, all_children},
        {"installer ends 259", first_run, "record=G:\\VEXMOOR;exit=259", nullptr, "", "", none, all_children},
        {"installer crashes after the record", first_run, "record=G:\\VEXMOOR;crash", nullptr, "SETUP", "", none, all_children},
        {"installer crashes before the record", first_run, "crash", nullptr, "SETUP", "", incomplete, {"SETUP"}},
        // Each sends to every window while the launcher waits for it.
        {"installer broadcasts", first_run, "", nullptr, "SETUP", "broadcast;record=G:\\VEXMOOR", none, all_children},
        {"sound setup broadcasts", first_run, record, nullptr, "SETSOUND", "broadcast", none, all_children},
        {"game broadcasts", start, nullptr, nullptr, "GAME", "broadcast", none, {"GAME"}},
        // A program that the installer left behind writes the record while
        // the launcher pauses between its looks for it.
        {"the record comes 3 s after the installer ended", first_run, "spawn=LATE", nullptr, "LATE",
         "sleep=3000;record=G:\\VEXMOOR", none, {"SETUP", "LATE", "SETSOUND", "GAME"}},
        {"sound setup missing", first_run, record, "Setsound.exe", "", "", incomplete, {"SETUP"}},
        {"sound setup ends 0", first_run, record, nullptr, "SETSOUND", "exit=0", none, all_children},
        {"sound setup ends 1", first_run, record, nullptr, "SETSOUND", "exit=1", none, all_children},
        {"sound setup ends 259", first_run, record, nullptr, "SETSOUND", "exit=259", none, all_children},
        {"sound setup crashes", first_run, record, nullptr, "SETSOUND", "crash", none, all_children},
        {"game missing after installing", first_run, record, "vexmoor.bat", "", "", {"Game Run Error 1"}, {"SETUP", "SETSOUND"}},
        {"game missing", start, nullptr, "vexmoor.bat", "", "", {"Game Run Error 1"}, none},
        {"game ends 0", start, nullptr, nullptr, "GAME", "exit=0", none, {"GAME"}},
        {"game ends 1", start, nullptr, nullptr, "GAME", "exit=1", none, {"GAME"}},
        {"game ends 259", start, nullptr, nullptr, "GAME", "exit=259", none, {"GAME"}},
        {"game crashes", start, nullptr, nullptr, "GAME", "crash", none, {"GAME"}},
        {"game runs 3 s", start, nullptr, nullptr, "GAME", "sleep=3000", none, {"GAME"}},
        {"replay missing", continue_, nullptr, "REPLAY.BAT", "", "", none, none},
        {"replay ends 0", continue_, nullptr, nullptr, "REPLAY", "exit=0", none, {"REPLAY"}},
        {"replay ends 1", continue_, nullptr, nullptr, "REPLAY", "exit=1", none, {"REPLAY"}},
        {"replay ends 259", continue_, nullptr, nullptr, "REPLAY", "exit=259", none, {"REPLAY"}},
        {"replay crashes", continue_, nullptr, nullptr, "REPLAY", "crash", none, {"REPLAY"}},
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
        measure_cpu = std::string(row.actions).rfind("sleep=", 0) == 0;
        bool writes = row.road == first_run;
        std::string before = DumpKeys("Software", writes ? company_key : nullptr);

        // Without a replay, "Fortsetzen" leaves the window for another choice.
        bool stays = row.road == continue_ && row.roles.empty();
        EXPECT_EQ(row.warnings, Drive(row.road, row.warnings.size(), "E:\\", stays));
        EXPECT_EQ(0u, exit_code);
        EXPECT_EQ(row.roles, Roles(log.Runs()));
        bool crashed = lstrcmpA(row.actions, "crash") == 0 ||
                       (row.setup && std::string(row.setup).find("crash") != std::string::npos);
        if (crashed) {
            EXPECT_LT(log.Only(row.role).ended, 0) << "the program did not crash";
        }
        if (std::string(row.actions).find("broadcast") != std::string::npos) {
            // Answered while the launcher waited, not once the row gave up
            // on the launcher (20 s) and ended it.
            long long broadcast_ms = log.Only(row.role).broadcast_ms;
            EXPECT_GE(broadcast_ms, 0) << "the broadcast was not answered";
            EXPECT_LT(broadcast_ms, 2000);
        }
        if (measure_cpu) {
            // The launcher blocks while it waits, where a polling wait would
            // take the whole 2 s.
            std::cout << row.how << ": " << cpu_while_waiting << " ms of processor time in 2 s\n";
            EXPECT_GE(cpu_while_waiting, 0) << "not measured";
            EXPECT_LE(cpu_while_waiting, 50);
        }
        EXPECT_EQ(before, DumpKeys("Software", writes ? company_key : nullptr));
    }
}
} // namespace
