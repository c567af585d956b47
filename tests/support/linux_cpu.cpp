#include "support/linux_cpu.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace
{
// Reads up to `size` - 1 bytes of a file; returns how many, terminated.
DWORD Read_File(const char *path, char *text, DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (!ReadFile(file, text, size - 1, &got, nullptr))
        got = 0;
    CloseHandle(file);
    text[got] = '\0';
    return got;
}

bool Read_Text(const char *path, char *text, DWORD size)
{
    return Read_File(path, text, size) > 0;
}

// The "WINEPREFIX=..." entry of Linux process `pid` (entries ending in NUL)
// into `entry`, or "" when it has none. "self" is Wine's server, which opens
// files for every program of its session and so runs in their prefix.
void Prefix_Of(const char *pid, char *entry, DWORD size)
{
    static char vars[32768];
    char path[MAX_PATH];
    snprintf(path, sizeof(path), "Z:\\proc\\%s\\environ", pid);
    DWORD got = Read_File(path, vars, sizeof(vars));
    entry[0] = '\0';
    for (DWORD at = 0; at < got; at += strlen(vars + at) + 1)
        if (strncmp(vars + at, "WINEPREFIX=", 11) == 0)
            snprintf(entry, size, "%s", vars + at);
}
} // namespace

int LinuxPid(const char *name)
{
    WIN32_FIND_DATAA entry;
    char path[MAX_PATH], text[512], own[MAX_PATH * 2], theirs[MAX_PATH * 2];
    int pid = -1;
    Prefix_Of("self", own, sizeof(own));
    if (!own[0])
        return -1;
    HANDLE processes = FindFirstFileA("Z:\\proc\\*", &entry);
    if (processes == INVALID_HANDLE_VALUE)
        return -1;
    do {
        snprintf(path, sizeof(path), "Z:\\proc\\%s\\cmdline", entry.cFileName);
        if (entry.cFileName[0] < '1' || entry.cFileName[0] > '9' ||
            !Read_Text(path, text, sizeof(text)) || !strstr(text, name))
            continue;
        Prefix_Of(entry.cFileName, theirs, sizeof(theirs));
        if (strcmp(own, theirs) == 0)
            pid = atoi(entry.cFileName);
    } while (pid < 0 && FindNextFileA(processes, &entry));
    FindClose(processes);
    return pid;
}

// Sums the scheduler's run time (/proc/PID/task/TID/schedstat: first the
// ns on the processor) over the process's threads.
double LinuxCpuMs(int pid)
{
    WIN32_FIND_DATAA task;
    char path[MAX_PATH], text[512];
    double total = 0;
    int read = 0;
    if (pid < 0)
        return -1;
    snprintf(path, sizeof(path), "Z:\\proc\\%d\\task\\*", pid);
    HANDLE tasks = FindFirstFileA(path, &task);
    if (tasks == INVALID_HANDLE_VALUE)
        return -1;
    do {
        if (task.cFileName[0] == '.')
            continue;
        snprintf(path, sizeof(path), "Z:\\proc\\%d\\task\\%s\\schedstat", pid, task.cFileName);
        char *end = nullptr;
        if (Read_Text(path, text, sizeof(text))) {
            double ns = strtod(text, &end);
            if (end != text) {
                total += ns / 1e6;
                read++;
            }
        }
    } while (FindNextFileA(tasks, &task));
    FindClose(tasks);
    return read > 0 ? total : -1;
}
