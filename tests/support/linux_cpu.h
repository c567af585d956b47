// Processor time as Linux counts it, read from a Wine program through the
// Z: drive. Under Wine, GetProcessTimes of another process misses most of
// its time, and work done for it by Wine's server counts nowhere.
#pragma once

// The Linux process id of the first process whose command line contains
// `name` and that runs in this process's Wine prefix, or -1 when there is
// none: another Wine session on the machine (another checkout, the demo)
// may run a program of the same name. Each call searches all of /proc
// through Wine's server: find a process once, before measuring.
int LinuxPid(const char *name);

// The processor time in ms, to the nanosecond, that the threads of Linux
// process `pid` have used so far; -1 when not one thread's time could be
// read: no measurement, never 0.
double LinuxCpuMs(int pid);
