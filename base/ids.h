/* The launcher's shared facts, written once: the ids of its window's
   controls, the order of each language's texts, and the sizes of its
   buffers. The window's resource script, the launcher's code, fit.exe, the
   demo's driver and the tests include this file; the edition build
   (tools/edition/edition.py) reads it, and writes the counts and sizes it
   checked the edition's texts against into edition.h, which names.cpp
   checks against these. Plain #defines: the resource compiler reads it
   too. */
#pragma once

/* The launcher window's controls, by their ids in its template. */
#define ID_START 1
#define ID_CANCEL 2
#define ID_CONTINUE 101
#define ID_INSTALL 102
/* The line: -1 in the template, a WORD in the window. */
#define ID_LINE 0xFFFF

/* Each language's texts, in this order, each ended by its terminator:
   the window's caption, its line and its buttons left to right; the
   caption of every warning box; what a warning shows for an empty
   argument; and the warnings, each with exactly one "%s". Each is named as
   the edition file's setting. */
#define LAUNCHER_TEXTS(X)                                                                          \
    X(caption)                                                                                     \
    X(line)                                                                                        \
    X(start_button)                                                                                \
    X(continue_button)                                                                             \
    X(install_button)                                                                              \
    X(cancel_button)                                                                               \
    X(warning_caption)                                                                             \
    X(untitled)                                                                                    \
    X(cannot_find)                                                                                 \
    X(game_run_error)                                                                              \
    X(folder_error)                                                                                \
    X(install_complete)                                                                            \
    X(install_incomplete)                                                                          \
    X(first_run_incomplete)

/* The window's texts: the window itself (0) and each control, with the
   text it shows. */
#define LAUNCHER_WINDOW(X)                                                                         \
    X(0, caption)                                                                                  \
    X(ID_LINE, line)                                                                               \
    X(ID_START, start_button)                                                                      \
    X(ID_CONTINUE, continue_button)                                                                \
    X(ID_INSTALL, install_button)                                                                  \
    X(ID_CANCEL, cancel_button)

/* The buffers, terminator included: a key's path ("Software\company\
   product\version"); a command line (a program's name and, for the sound
   setup, its switch and the drive letter); a warning once formatted; the
   longest folder a warning names; a font's face name. */
#define KEY_PATH_BUFFER 256
#define COMMAND_BUFFER 260
#define WARNING_BUFFER 576
#define FOLDER_BUFFER 260
#define FACE_BUFFER 32
