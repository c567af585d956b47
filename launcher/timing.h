// The install flow's pauses, kept in one place. They are the product's own
// and not configurable. A test build of install.exe defines
// LAUNCHER_SHORT_TIMING to make the pauses a hundred times shorter, so that a
// record that never comes is given up in seconds rather than minutes.
#pragma once

#include <windows.h>

// How often the record is looked for after the installer has ended.
const int record_polls = 290;

#ifdef LAUNCHER_SHORT_TIMING
const DWORD poll_pause_ms = 10;
const DWORD found_pause_ms = 20;
#else
// The pause before each look: the installer may write the record late.
const DWORD poll_pause_ms = 1000;
// The pause after the look that found it, so that the installer can finish
// what it does after writing the record.
const DWORD found_pause_ms = 2000;
#endif
