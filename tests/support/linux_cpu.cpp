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

// Sums the scheduler's run time (/proc/PID/task/TID/schedstat, in ns) over
// the process's threads.
double LinuxCpuMs(const char *program)
{
    WIN32_FIND_DATAA entry, task;
    char path[MAX_PATH], text[512];
    double total = -1;
    HANDLE processes = FindFirstFileA("Z:\\proc\\*", &entry);
    if (processes == INVALID_HANDLE_VALUE)
        return -1;
    do {
        snprintf(path, sizeof(path), "Z:\\proc\\%s\\cmdline", entry.cFileName);
        if (entry.cFileName[0] < '1' || entry.cFileName[0] > '9' ||
            !Read_Text(path, text, sizeof(text)) || !strstr(text, program))
            continue;
        snprintf(path, sizeof(path), "Z:\\proc\\%s\\task\\*", entry.cFileName);
        HANDLE tasks = FindFirstFileA(path, &task);
        if (tasks == INVALID_HANDLE_VALUE)
            continue;
        total = 0;
        do {
            snprintf(path, sizeof(path), "Z:\\proc\\%s\\task\\%s\\schedstat", entry.cFileName,
                     task.cFileName);
            if (task.cFileName[0] != '.' && Read_Text(path, text, sizeof(text)))
                total += atof(text) / 1e6;
        } while (FindNextFileA(tasks, &task));
        FindClose(tasks);
    } while (total < 0 && FindNextFileA(processes, &entry));
    FindClose(processes);
    return total;
}
