// Drive and folder calls in the style of the DOS runtime, written over the
// Win32 calls: install.exe has no C runtime. Drive numbers for getdisk and
// setdisk count A as 0; getcurdir counts A as 1 and takes 0 for the current
// drive.
#pragma once

extern "C" {
// The current drive, A = 0.
int getdisk(void);
// Makes drive `drive` (A = 0) current; nonzero when that failed.
int setdisk(int drive);
// Writes the current folder of `drive` (0 current, 1 A) into `directory`,
// without drive letter and leading backslash. 0 on success; -1 when it cannot
// be read or does not fit in `size` characters with the terminator, and then
// `directory` is left empty.
int getcurdir(int drive, char *directory, int size);
// Makes `path` the current folder; 0 on success, -1 on failure. Declared as
// the C runtime declares it, so this definition takes the place of its own.
int __cdecl chdir(const char *path);
}
