#include "support/linux_cpu.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace
{
bool Read_Text(const char *path, char *text, DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BOOL read = ReadFile(file, text, size - 1, &got, nullptr);
    CloseHandle(file);
    text[read ? got : 0] = '\0';
    return read && got > 0;
}
} // namespace

int LinuxPid(const char *name)
{
    WIN32_FIND_DATAA entry;
    char path[MAX_PATH], text[512];
    int pid = -1;
    HANDLE processes = FindFirstFileA("Z:\\proc\\*", &entry);
    if (processes == INVALID_HANDLE_VALUE)
        return -1;
    do {
        snprintf(path, sizeof(path), "Z:\\proc\\%s\\cmdline", entry.cFileName);
        if (entry.cFileName[0] >= '1' && entry.cFileName[0] <= '9' &&
            Read_Text(path, text, sizeof(text)) && strstr(text, name))
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
