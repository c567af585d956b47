// Processor time as Linux counts it, read from a Wine program through the
// Z: drive. Under Wine, GetProcessTimes of another process misses most of
// its time, and work done for it by Wine's server counts nowhere.
#pragma once

// The processor time in ms, to the nanosecond, that the threads of the
// first Linux process whose command line contains `name` have used so far;
// -1 when there is none.
double LinuxCpuMs(const char *name);
