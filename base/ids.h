/* The launcher's shared facts, written once: the ids of its window's
   controls, the order of each language's texts, the sizes of its buffers,
   and how its edition's data is laid out. The launcher's code, fit.exe, the
   demo's driver and the tests include this file; the edition writer
   (tools/edition/edition.py) reads it, checks each edition's texts and
   names against these sizes, and writes the window's template and the
   edition's data as they say. Plain #defines, which Python reads too. */
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

/* The edition's data, which install.exe reads from its own resources when
   it starts: the RT_RCDATA resource EDITION_RESOURCE, written into the
   launcher by tools/edition/edition.py. Little-endian WORDs, each place an
   offset from the start of the data:
     the number of languages, 1 to LANGUAGE_MAX;
     the place of each name, in the order of LAUNCHER_NAMES;
     each language's row of LANGUAGE_ROW_WORDS: its id, code page, font
       character set, size in points (0: the template's), and the places of
       its texts, of its texts for Windows 95 to ME and of its face ("": the
       template's);
   then the names, texts and faces, each ended by its terminator, the data's
   last byte a terminator. The key's names are in UTF-8, the lock's name in
   ASCII, the template's face and the programs in the default language's
   code page. */
#define EDITION_RESOURCE 1
#define LANGUAGE_MAX 32
#define LANGUAGE_ROW_WORDS 7
#define LAUNCHER_NAMES(X)                                                                          \
    X(key_company)                                                                                 \
    X(key_product)                                                                                 \
    X(key_version)                                                                                 \
    X(mutex)                                                                                       \
    X(font_name)                                                                                   \
    X(installer)                                                                                   \
    X(sound_setup)                                                                                 \
    X(sound_drive_switch)                                                                          \
    X(game)                                                                                        \
    X(continue_game)
