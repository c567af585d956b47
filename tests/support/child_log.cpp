#include "support/child_log.h"
#include "support/poll.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

long long FileTimeMs(const FILETIME &time)
{
    return (((long long)time.dwHighDateTime << 32) | time.dwLowDateTime) / 10000;
}

long long NowMs()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FileTimeMs(now);
}

ChildLog::ChildLog()
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof(folder), folder);
    path_ = std::string(folder) + "standin.log";
    DeleteFileA(path_.c_str());
    SetEnvironmentVariableA("STANDIN_LOG", path_.c_str());
}

std::vector<ChildRun> ChildLog::Runs() const
{
    std::vector<ChildRun> runs;
    std::ifstream file(path_);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> fields;
        std::stringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (fields.size() == 12 && fields[0] == "start") {
            ChildRun run;
            run.role = fields[1];
            run.pid = std::stoul(fields[2]);
            run.started = std::stoll(fields[3]);
            run.folder = fields[4];
            run.command_line = fields[5];
            size_t batch = run.command_line.find(" --batch ");
            if (batch != std::string::npos)
                run.batch = run.command_line.substr(batch + 9);
            run.startup_flags = std::stoul(fields[6]);
            run.record = fields[8];
            run.unicode_folder = fields[9];
            run.guard = std::stoull(fields[10]);
            run.windows = fields[11];
            runs.push_back(run);
        } else if (fields.size() == 5 && fields[0] == "end") {
            for (ChildRun &run : runs) {
                if (run.pid == std::stoul(fields[2]) && run.ended < 0) {
                    run.ended = std::stoll(fields[3]);
                    run.exit_code = std::stoul(fields[4]);
                }
            }
        } else if (fields.size() == 4 && fields[0] == "broadcast") {
            for (auto run = runs.rbegin(); run != runs.rend(); ++run)
                if (run->pid == std::stoul(fields[2])) {
                    run->broadcast_ms = std::stoll(fields[3]);
                    break;
                }
        }
    }
    return runs;
}

ChildRun ChildLog::Only(const std::string &role, const Caller &) const
{
    std::vector<ChildRun> found;
    for (const ChildRun &run : Runs())
        if (run.role == role)
            found.push_back(run);
    EXPECT_EQ(1u, found.size()) << "runs of " << role;
    return found.empty() ? ChildRun{} : found[0];
}

bool ChildLog::WaitForEnd(const std::string &role, int timeout_ms) const
{
    return Poll(timeout_ms, [&] {
        for (const ChildRun &run : Runs())
            if (run.role == role && run.ended >= 0)
                return true;
        return false;
    });
}

void SetChildActions(const std::string &role, const std::string &actions)
{
    SetEnvironmentVariableW(Wide("STANDIN_" + role).c_str(), Wide(actions).c_str());
}

void PlaceStandIn(const std::string &path, const Caller &)
{
    ASSERT_TRUE(CopyFileW(Wide(ProgramFolder() + "standin.exe").c_str(), Wide(path).c_str(), FALSE))
        << path;
}

void PlaceBatchFile(const std::string &path, const std::string &role, const Caller &)
{
    std::ofstream file(path, std::ios::binary);
    file << "@\"" << ProgramFolder() << "standin.exe\" --role " << role << " --batch %0\r\n";
    ASSERT_TRUE(file.good()) << path;
}
