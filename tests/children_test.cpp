// Starting outside programs and waiting for them, with the stand-in program
// as the child. Children start in G:\CHILDREN, the current folder.
#include "children/children.h"
#include "support/child_log.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
const char child_folder[] = "G:\\CHILDREN";

class ChildrenTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        MakeFolders(child_folder);
        ASSERT_TRUE(SetCurrentDirectoryA(child_folder));
        PlaceStandIn(std::string(child_folder) + "\\child.exe");
        PlaceBatchFile(std::string(child_folder) + "\\slow.bat", "SLOW");
    }
    void TearDown() override
    {
        SetCurrentDirectoryA("C:\\");
    }
    ChildLog log;
};

TEST_F(ChildrenTest, WaitReturnsOnceTheChildHasEndedWhateverItsExitCode)
{
    struct {
        const char *actions;
        DWORD code;
        // NoDefaultCurrentDirectoryInExePath, which keeps CreateProcess from
        // looking in the current folder for a bare name: the child is
        // started by its folder all the same.
        bool locked = false;
    } rows[] = {
        {"sleep=300;exit=0", 0},
        {"sleep=300;exit=1", 1},
        {"sleep=300;exit=259", 259},
        // The stack guard ends a program whose stack was overrun.
        {"sleep=300;overrun=64", STATUS_STACK_BUFFER_OVERRUN},
        {"sleep=300;exit=0", 0, true},
    };
    std::vector<unsigned long long> guards;
    for (auto &row : rows) {
        SCOPED_TRACE(std::string(row.actions) + (row.locked ? ", locked down" : ""));
        ChildLog fresh;
        SetChildActions("CHILD", row.actions);
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", row.locked ? "1" : nullptr);
        int started = Do_Process("child.exe /DE");
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", nullptr);
        ASSERT_NE(0, started);
        HANDLE child =
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, procinfo.dwProcessId);
        ASSERT_TRUE(child);
        EXPECT_EQ(1, Wait_Finish());
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child, 0))
            << "the wait returned before the child ended";
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(child, &code));
        EXPECT_EQ(row.code, code);
        CloseHandle(child);

        ChildRun run = fresh.Only("CHILD");
        EXPECT_EQ(std::string(child_folder), run.folder);
        EXPECT_EQ("child.exe /DE", run.command_line);
        EXPECT_EQ((DWORD)STARTF_FORCEONFEEDBACK, run.startup_flags);
        // Seeded anew in every run, as install.exe's: an input crafted
        // to overrun a buffer cannot know it.
        EXPECT_NE(0u, run.guard);
        EXPECT_EQ(0, std::count(guards.begin(), guards.end(), run.guard))
            << "the same stack guard as an earlier run";
        guards.push_back(run.guard);
    }
}

// A batch file's child is its command interpreter, which ends with the
// batch file. (That the wait takes no processor time is measured on the
// launcher itself: hardening_test.)
// A batch file runs through the command interpreter that COMSPEC names,
// with "/c", and the wait is for the interpreter, which ends with it.
TEST_F(ChildrenTest, BatchFileIsWaitedForUntilItEnds)
{
    const std::string interpreter = std::string(child_folder) + "\\interp.exe";
    PlaceStandIn(interpreter);
    struct {
        const char *comspec; // nullptr: Windows' own
        const char *role;    // the program that runs and logs
        std::string line;    // its command line: the batch file by its folder
        bool locked = false; // NoDefaultCurrentDirectoryInExePath set
    } rows[] = {
        {nullptr, "SLOW", ""},
        {interpreter.c_str(), "INTERP", "\"" + interpreter + "\" /c .\\slow.bat"},
        {interpreter.c_str(), "INTERP", "\"" + interpreter + "\" /c .\\slow.bat", true},
        {nullptr, "SLOW", "", true},
    };
    char comspec[MAX_PATH] = "";
    ASSERT_GT(GetEnvironmentVariableA("COMSPEC", comspec, sizeof(comspec)), 0u);
    for (auto &row : rows) {
        SCOPED_TRACE(std::string(row.role) + (row.locked ? ", locked down" : ""));
        ChildLog fresh;
        SetEnvironmentVariableA("COMSPEC", row.comspec ? row.comspec : comspec);
        SetChildActions(row.role, "sleep=3000");
        long long started = NowMs();
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", row.locked ? "1" : nullptr);
        int begun = Do_Process("slow.bat");
        SetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", nullptr);
        ASSERT_NE(0, begun);
        EXPECT_EQ(1, Wait_Finish());
        long long returned = NowMs();
        SetEnvironmentVariableA("COMSPEC", comspec);

        ChildRun run = fresh.Only(row.role);
        EXPECT_EQ(std::string(child_folder), run.folder);
        if (!row.line.empty()) {
            EXPECT_EQ(row.line, run.command_line);
        }
        ASSERT_GE(run.ended, 0) << "the wait returned before the batch file ended";
        EXPECT_LE(run.ended, returned);
        EXPECT_GE(returned - started, 3000);
        EXPECT_LE(returned - started, 4500);
    }
}

TEST_F(ChildrenTest, OnlyTheLatestChildIsWaitedFor)
{
    SetChildActions("FIRST", "sleep=4000");
    SetChildActions("SECOND", "sleep=200");
    ASSERT_NE(0, Do_Process(("\"" + ProgramFolder() + "standin.exe\" --role FIRST").c_str()));
    ASSERT_NE(0, Do_Process(("\"" + ProgramFolder() + "standin.exe\" --role SECOND").c_str()));
    EXPECT_EQ(1, Wait_Finish());

    EXPECT_GE(log.Only("SECOND").ended, 0);
    EXPECT_EQ(-1, log.Only("FIRST").ended) << "the first child was waited for";
    EXPECT_TRUE(log.WaitForEnd("FIRST", 10000));
}

// The wait after a start that failed waits for nothing, not for the child
// that an earlier start left running.
TEST_F(ChildrenTest, ProgramThatCannotStartGivesZero)
{
    SetChildActions("CHILD", "sleep=1500");
    ASSERT_NE(0, Do_Process("child.exe"));
    ASSERT_TRUE(Poll(5000, [&] { return !log.Runs().empty(); }));
    for (const char *command : {"nosuch.exe", "nosuch.bat", "", child_folder}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(0, Do_Process(command));
        EXPECT_EQ(0, Wait_Finish());
        EXPECT_EQ(-1, log.Only("CHILD").ended) << "the earlier child was waited for";
    }
    EXPECT_TRUE(log.WaitForEnd("CHILD", 10000));
    EXPECT_EQ(1u, log.Runs().size());
}

// A start's handles are closed once the next start replaces it, or once the
// wait has opened the child: closed, or reused for another object.
TEST_F(ChildrenTest, StartsLeaveNoHandlesBehind)
{
    auto still_open = [](const PROCESS_INFORMATION &child) {
        return GetProcessId(child.hProcess) == child.dwProcessId ||
               GetThreadId(child.hThread) == child.dwThreadId;
    };
    SetChildActions("CHILD", "");
    ASSERT_NE(0, Do_Process("child.exe"));
    PROCESS_INFORMATION first = procinfo;
    ASSERT_TRUE(still_open(first));
    ASSERT_NE(0, Do_Process("child.exe"));
    EXPECT_FALSE(still_open(first));
    PROCESS_INFORMATION second = procinfo;
    ASSERT_EQ(1, Wait_Finish());
    EXPECT_FALSE(still_open(second));
    EXPECT_TRUE(log.WaitForEnd("CHILD", 5000));
}
} // namespace
