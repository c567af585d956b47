// The install flow's pauses, kept in one place. They are the product's own
// and not configurable. A test build of install.exe defines
// LAUNCHER_SHORT_TIMING to make the pauses a hundred times shorter, so that a
// record that never comes is given up in seconds rather than minutes. The
// tests hold install.exe to these figures with their own literals, so that
// a change here shows there.
#pragma once

#include <windows.h>

// How often the record is looked for after the installer has ended.
const int record_polls = 290;

// The pause before each look: the installer may write the record late.
const DWORD product_poll_pause_ms = 1000;
// The pause after the look that found it, so that the installer can finish
// what it does after writing the record.
const DWORD product_found_pause_ms = 2000;

// The test build's pauses.
const DWORD short_poll_pause_ms = product_poll_pause_ms / 100;
const DWORD short_found_pause_ms = product_found_pause_ms / 100;

#ifdef LAUNCHER_SHORT_TIMING
const DWORD poll_pause_ms = short_poll_pause_ms;
const DWORD found_pause_ms = short_found_pause_ms;
#else
const DWORD poll_pause_ms = product_poll_pause_ms;
const DWORD found_pause_ms = product_found_pause_ms;
#endif
