// Bad input and faults, end to end: odd installation records, odd start
// folders, outside programs that are missing, fail or crash, and what a
// reinstall may touch. Each row states what the user sees (the exact
// warnings, or none) and which programs ran; every row also checks that the
// launcher ended with 0, left no process behind and lost nothing: the
// registry outside its own record and the game folder's files are as before.
#include "support/game_cd.h"
#include "support/launcher_driver.h"
#include "support/linux_cpu.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

namespace
{
// The first run gives up after 290 polls of 10 ms in this build.
const char fast_launcher[] = "install_fast.exe";
const char other_company[] = "Software\\Elsewhere\\Game";
const char other_product[] = "Software\\Halvaro\\Other\\Version 2.0";
const char *const game_files[] = {"Setsound.exe", "vexmoor.bat", "REPLAY.BAT"};
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
    // Each row starts like a fresh test, with keys of another company and of
    // another product of the same company in place.
    void Prepare()
    {
        SetUp();
        WriteText(other_company, "path", "C:\\ELSEWHERE");
        WriteText(other_product, "folder", "G:\\OTHER");
    }

    // Runs `road` with install_fast.exe and returns the warnings it showed.
    // Start and Continue must find the launcher window; the first run must
    // never show it.
    Texts Drive(Road road, size_t warnings, const char *folder = "E:\\")
    {
        LauncherRun run(fast_launcher, folder);
        seen_after.clear();
        Texts seen;
        if (road == first_run) {
            MessageWatch watch(run.Pid());
            exit_code = run.ExitCode(20000);
            seen = WarningTexts(watch.Stop());
            EXPECT_FALSE(run.WindowSeen());
        } else {
            HWND window = run.VisibleWindow();
            EXPECT_TRUE(window);
            if (!window)
                return {"<no window>"};
            if (measure_cpu)
                return Play_Measuring_Cpu(run, window);
            seen =
                WarningTexts(run.Press(window, road == start ? id_start : id_continue, warnings));
            // After a failed Continue the window stays: the user cancels,
            // and no warning may come, not even one that came late.
            if (IsWindow(window))
                seen_after = WarningTexts(run.Press(window, id_cancel, 0));
            exit_code = run.ExitCode();
        }
        return seen;
    }

    // Clicks "Starten" and measures the processor time of the launcher and
    // of Wine's server, which works for it on each call it makes, over 2 s
    // while the game runs.
    Texts Play_Measuring_Cpu(LauncherRun &run, HWND window)
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
        PostMessageA(GetDlgItem(window, id_start), BM_CLICK, 0, 0);
        Sleep(500);
        double before = cpu();
        Sleep(2000);
        double after = cpu();
        // Not read is no measurement, which fails the row.
        cpu_while_playing = before < 0 || after < 0 ? -1 : after - before;
        exit_code = run.ExitCode(20000);
        return exit_code == still_running ? Texts{"<still running>"} : Texts{};
    }

    // No process of the launcher's is left once it has ended; Continue's
    // replay is not waited for, so it is given time to end on its own.
    void Expect_Nothing_Left(Road road)
    {
        const char *const programs[] = {"install.exe", "setup.exe", "Setsound.exe", "cmd.exe",
                                        "standin.exe"};
        if (road == continue_)
            Poll(10000,
                 [&] { return CountProcesses("standin.exe") + CountProcesses("cmd.exe") == 0; });
        for (const char *program : programs)
            EXPECT_EQ(0, CountProcesses(program)) << program << " is still running";
    }

    void Expect_Game_Files(const char *removed)
    {
        for (const char *file : game_files) {
            if (removed && lstrcmpA(file, removed) == 0)
                continue;
            std::string path = std::string(game_folder) + "\\" + file;
            EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str())) << file;
        }
    }

    DWORD exit_code = still_running;
    // The warnings seen while the window was cancelled after the row.
    Texts seen_after;
    bool measure_cpu = false;
    double cpu_while_playing = -1;
};

TEST_F(HardeningTest, OddRecordValuesAreReadSafely)
{
    const std::string long_259 = "G:\\" + std::string(256, 'x');
    const std::string umlauts = "G:\\Gr\xF6\xDF"
                                "e";
    struct {
        const char *how;
        bool key;             // the record's key exists
        DWORD type;           // REG_NONE: no "folder" value
        std::string data;     // the value's bytes, exactly
        Texts warnings;       // on the first run when not installed, else on Start
        std::string plays_in; // the game's folder, or "" when it does not start
    } rows[] = {
        {"no key", false, REG_NONE, "", incomplete, ""},
        {"a key without \"folder\"", true, REG_NONE, "", incomplete, ""},
        {"an empty text", true, REG_SZ, std::string(1, '\0'), {"Cannot Find (untitled)"}, ""},
        {"an empty value", true, REG_SZ, "", {"Cannot Find (untitled)"}, ""},
        {"259 characters", true, REG_SZ, long_259 + '\0', Folder_Warnings(long_259), ""},
        {"259 characters, no terminator", true, REG_SZ, long_259, Folder_Warnings(long_259), ""},
        {"260 characters", true, REG_SZ, long_259 + "y" + '\0', incomplete, ""},
        {"260 characters, no terminator", true, REG_SZ, long_259 + "y", incomplete, ""},
        {"5000 characters", true, REG_SZ, "G:\\" + std::string(4997, 'x') + '\0', incomplete, ""},
        {"no terminator", true, REG_SZ, "G:\\VEXMOOR", {}, game_folder},
        {"REG_BINARY", true, REG_BINARY, std::string("G:\\VEXMOOR\0", 11), {}, game_folder},
        {"REG_DWORD", true, REG_DWORD, std::string("\x01\0\0\0", 4), {"Cannot Find \x01"}, ""},
        {"REG_EXPAND_SZ", true, REG_EXPAND_SZ, std::string("G:\\VEXMOOR\0", 11), {}, game_folder},
        // Not expanded: the record is plain text.
        {"REG_EXPAND_SZ with a variable",
         true,
         REG_EXPAND_SZ,
         std::string("%SystemDrive%\\VEXMOOR\0", 22),
         {"Cannot Find %SystemDrive%\\VEXMOOR"},
         ""},
        {"REG_MULTI_SZ",
         true,
         REG_MULTI_SZ,
         std::string("G:\\VEXMOOR\0G:\\OTHER\0\0", 21),
         {},
         game_folder},
        {"characters above 127", true, REG_SZ, umlauts + '\0', {}, umlauts},
        {"spaces", true, REG_SZ, std::string("G:\\VEX MOOR\0", 12), {}, "G:\\VEX MOOR"},
        {"a trailing backslash", true, REG_SZ, std::string("G:\\VEXMOOR\\\0", 12), {}, game_folder},
        {"a UNC path",
         true,
         REG_SZ,
         std::string("\\\\server\\share\0", 15),
         {"Cannot Find \\\\server\\share"},
         ""},
        {"a file, not a folder", true, REG_SZ, std::string("G:\\VEXMOOR\\vexmoor.bat\0", 23),
         Folder_Warnings("G:\\VEXMOOR\\vexmoor.bat"), ""},
        {"a drive that does not exist", true, REG_SZ, std::string("Q:\\VEXMOOR\0", 11),
         Folder_Warnings("Q:\\VEXMOOR"), ""},
        {"format directives", true, REG_SZ, std::string("G:\\%s%n%x%%\0", 12),
         Folder_Warnings("G:\\%s%n%x%%"), ""},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        Prepare();
        for (const char *folder : {"G:\\VEX MOOR", umlauts.c_str()}) {
            MakeFolders(folder);
            PlaceBatchFile(std::string(folder) + "\\vexmoor.bat", "GAME");
        }
        if (row.key)
            WriteKey(record_key, row.type == REG_NONE ? nullptr : "folder", row.type,
                     row.data.data(), (DWORD)row.data.size());
        bool installed = row.key && row.type != REG_NONE && row.warnings != incomplete;
        Road road = installed ? start : first_run;
        std::string before = DumpKeys("Software");

        EXPECT_EQ(row.warnings, Drive(road, row.warnings.size()));
        EXPECT_EQ(Texts{}, seen_after);
        EXPECT_EQ(0u, exit_code);
        EXPECT_EQ(row.plays_in.empty() ? Texts{} : Texts{"GAME"}, Roles(log.Runs()));
        if (!row.plays_in.empty()) {
            EXPECT_EQ(row.plays_in, log.Only("GAME").folder);
        }
        // Neither Start nor a first run without an installer writes anything.
        EXPECT_EQ(before, DumpKeys("Software"));
        Expect_Game_Files(nullptr);
        Expect_Nothing_Left(road);
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
        {"the root of the CD", "E:\\", "Setsound.exe /DE"},
        {"a folder with spaces", "E:\\VEXMOOR CD\\DISC 1", "Setsound.exe /DE"},
        {"characters above 127",
         "E:\\Spiele\\Gr\xF6\xDF"
         "e",
         "Setsound.exe /DE"},
        {"a folder path of 240 characters and more", deep, "Setsound.exe /DE"},
        {"a copy of the CD on another drive", "G:\\CD COPY", "Setsound.exe /DG"},
    };
    ASSERT_GE(deep.size(), 240u);
    ASSERT_LT(deep.size() + sizeof("\\setup.exe"), (size_t)MAX_PATH);
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        Prepare();
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
        Expect_Game_Files(nullptr);
        Expect_Nothing_Left(first_run);
        DeleteFileA(installer.c_str());
    }
}

TEST_F(HardeningTest, OutsideProgramsThatAreMissingFailOrCrash)
{
    const char *record = "record=G:\\VEXMOOR";
    struct {
        const char *how;
        Road road;
        const char *setup;   // the installer's actions; nullptr: none on the CD
        const char *removed; // a game file taken away
        const char *role;    // the program that misbehaves
        const char *actions;
        Texts warnings;
        Texts roles;
    } rows[] = {
        {"installer missing", first_run, nullptr, nullptr, "", "", incomplete, {}},
        {"installer ends 0 with no record",
         first_run,
         "exit=0",
         nullptr,
         "",
         "",
         incomplete,
         {"SETUP"}},
        {"installer ends 1",
         first_run,
         "record=G:\\VEXMOOR;exit=1",
         nullptr,
         "",
         "",
         {},
         all_children},
        {"installer ends 259",
         first_run,
         "record=G:\\VEXMOOR;exit=259",
         nullptr,
         "",
         "",
         {},
         all_children},
        {"installer crashes after the record",
         first_run,
         "record=G:\\VEXMOOR;crash",
         nullptr,
         "SETUP",
         "",
         {},
         all_children},
        {"installer crashes before the record",
         first_run,
         "crash",
         nullptr,
         "SETUP",
         "",
         incomplete,
         {"SETUP"}},
        // Each sends to every window while the launcher waits for it.
        {"installer broadcasts",
         first_run,
         "",
         nullptr,
         "SETUP",
         "broadcast;record=G:\\VEXMOOR",
         {},
         all_children},
        {"sound setup broadcasts",
         first_run,
         record,
         nullptr,
         "SETSOUND",
         "broadcast",
         {},
         all_children},
        {"game broadcasts", start, nullptr, nullptr, "GAME", "broadcast", {}, {"GAME"}},
        {"sound setup missing", first_run, record, "Setsound.exe", "", "", incomplete, {"SETUP"}},
        {"sound setup ends 0", first_run, record, nullptr, "SETSOUND", "exit=0", {}, all_children},
        {"sound setup ends 1", first_run, record, nullptr, "SETSOUND", "exit=1", {}, all_children},
        {"sound setup ends 259",
         first_run,
         record,
         nullptr,
         "SETSOUND",
         "exit=259",
         {},
         all_children},
        {"sound setup crashes", first_run, record, nullptr, "SETSOUND", "crash", {}, all_children},
        {"game missing after installing",
         first_run,
         record,
         "vexmoor.bat",
         "",
         "",
         {"Game Run Error 1"},
         {"SETUP", "SETSOUND"}},
        {"game missing", start, nullptr, "vexmoor.bat", "", "", {"Game Run Error 1"}, {}},
        {"game ends 0", start, nullptr, nullptr, "GAME", "exit=0", {}, {"GAME"}},
        {"game ends 1", start, nullptr, nullptr, "GAME", "exit=1", {}, {"GAME"}},
        {"game ends 259", start, nullptr, nullptr, "GAME", "exit=259", {}, {"GAME"}},
        {"game crashes", start, nullptr, nullptr, "GAME", "crash", {}, {"GAME"}},
        {"game runs 3 s", start, nullptr, nullptr, "GAME", "sleep=3000", {}, {"GAME"}},
        {"replay missing", continue_, nullptr, "REPLAY.BAT", "", "", {}, {}},
        {"replay ends 0", continue_, nullptr, nullptr, "REPLAY", "exit=0", {}, {"REPLAY"}},
        {"replay ends 1", continue_, nullptr, nullptr, "REPLAY", "exit=1", {}, {"REPLAY"}},
        {"replay ends 259", continue_, nullptr, nullptr, "REPLAY", "exit=259", {}, {"REPLAY"}},
        {"replay crashes", continue_, nullptr, nullptr, "REPLAY", "crash", {}, {"REPLAY"}},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        Prepare();
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

        EXPECT_EQ(row.warnings, Drive(row.road, row.warnings.size()));
        EXPECT_EQ(Texts{}, seen_after);
        EXPECT_EQ(0u, exit_code);
        Expect_Nothing_Left(row.road);
        EXPECT_EQ(row.roles, Roles(log.Runs()));
        bool crashed = lstrcmpA(row.actions, "crash") == 0 ||
                       (row.setup && std::string(row.setup).find("crash") != std::string::npos);
        if (crashed) {
            EXPECT_LT(log.Only(row.role).ended, 0) << "the program did not crash";
        }
        if (std::string(row.actions).find("broadcast") != std::string::npos) {
            EXPECT_GE(log.Only(row.role).broadcast_ms, 0) << "the broadcast was not answered";
        }
        if (measure_cpu) {
            // The launcher blocks while the game runs, where a polling wait
            // would take the whole 2 s.
            EXPECT_GE(cpu_while_playing, 0);
            EXPECT_LE(cpu_while_playing, 50);
        }
        EXPECT_EQ(before, DumpKeys("Software", writes ? company_key : nullptr));
        Expect_Game_Files(row.removed);
    }
}

TEST_F(HardeningTest, ReinstallTouchesOnlyThisProduct)
{
    const char old_version[] = "Software\\Halvaro\\Vexmoor\\Version 0.9";
    const char product_key[] = "Software\\Halvaro\\Vexmoor";
    struct {
        const char *how;
        const char *setup;
        Texts warnings;
        std::string product_after; // the product's keys after the reinstall
    } rows[] = {
        {"the installer writes the record",
         "record=G:\\VEXMOOR",
         {"Installation complete  "},
         "[Software\\Halvaro\\Vexmoor]\n[Software\\Halvaro\\Vexmoor\\Version 1.0]\nfolder 1 "
         "G:\\VEXMOOR" +
             std::string(1, '\0') + "\n"},
        {"the installer writes nothing", "", {"Installation incomplete  "}, ""},
    };
    for (auto &row : rows) {
        SCOPED_TRACE(row.how);
        Prepare();
        WriteText(record_key, "folder", game_folder);
        WriteText(old_version, "folder", "G:\\OLD");
        PlaceInstaller(row.setup);
        std::string before = DumpKeys("Software", product_key);

        LauncherRun run(fast_launcher);
        HWND window = run.VisibleWindow();
        ASSERT_TRUE(window);
        EXPECT_EQ(row.warnings, WarningTexts(run.Press(window, id_install, row.warnings.size())));
        EXPECT_EQ(Texts{}, WarningTexts(run.Press(window, id_cancel, 0)));
        EXPECT_EQ(0u, run.ExitCode());
        EXPECT_EQ(before, DumpKeys("Software", product_key));
        EXPECT_EQ(row.product_after, DumpKeys(product_key));
        Expect_Game_Files(nullptr);
        Expect_Nothing_Left(first_run);
    }
}
} // namespace
