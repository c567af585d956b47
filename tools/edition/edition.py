#!/usr/bin/env python3
"""Writes an edition file's names, texts, languages, programs, window,
icon, version and manifest into the launcher, as install.exe's resources.

    edition.py --write EDITION_FILE LAUNCHER OUTPUT
                                             writes OUTPUT, the program
                                             LAUNCHER with the edition's
                                             resources in place of its own
    edition.py --write-without-window EDITION_FILE LAUNCHER OUTPUT
                                             the same without the window's
                                             template (for the tests)
    edition.py --write-test-program EDITION_FILE PROGRAM OUTPUT
                                             the same into a test program,
                                             of any size
    edition.py --ico EDITION_FILE OUTPUT     writes the icon install.exe gets
                                             as an ICO file
    edition.py --check EDITION_FILE          only checks the file
    edition.py --locale EDITION_FILE         prints a Linux locale whose Windows
                                             code page is the edition's, and
                                             that code page
    edition.py --languages EDITION_FILE      prints each language, the default
                                             first: its id, its code page and
                                             a Linux locale that has it
    edition.py --texts EDITION_FILE ID       prints the language ID for fit.exe:
                                             its id, code page and character
                                             set and its window's texts,
                                             "setting=text" each
    edition.py --measure EDITION_FILE        prints each Windows the window's
                                             texts must be measured on, a line
                                             each: its code page and a Linux
                                             locale that has it
    edition.py --disc EDITION_FILE           prints what its disc needs, a line
                                             each: the disc's label, the
                                             installer, the sound setup, the
                                             game, the game continued, and the
                                             product's name
    edition.py --icon EDITION_FILE           prints the icon setting's line
                                             (or "-"), the bytes its icon
                                             takes in install.exe and its
                                             images
    edition.py --preview EDITION_FILE        reads fit.exe's lines and prints
                                             where the window grows for each
                                             language, and which cannot be
                                             previewed here

An edition file is UTF-8 text, one "setting = value" a line; blank lines and
lines that start with "#" are left out. Its texts are in its default
language (file_language); a line "[ID]" (a Windows language id, "[0407]")
starts another language's texts, which run to the next such line or the
end. A file with a fault stops here with FILE:LINE: and what is wrong, and
nothing is written.
"""
import hashlib
import locale
import os
import re
import struct
import sys
import unicodedata

# The tools' readers of PE and ICO files live in tools/lib.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lib"))
import icons  # noqa: E402
import rsrc  # noqa: E402

# The launcher's shared facts, written in base/ids.h: the order of each
# language's texts, the window's texts, and the launcher's buffers.
IDS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "base", "ids.h")


def read_ids(path=IDS):
    """The texts' names in their order, the window's in its, and the buffers'
    sizes ({"KEY_PATH_BUFFER": 256, ...}), as base/ids.h gives them."""
    with open(path, encoding="utf-8") as file:
        text = file.read()

    def items(macro):
        body = re.search(r"#define %s\(X\)((?:[^\n]*\\\n)*[^\n]*)" % macro, text).group(1)
        return [item.split(",")[-1].strip() for item in re.findall(r"X\(([^)]*)\)", body)]

    numbers = {name: int(value, 0) for name, value in
               re.findall(r"#define (\w+) (0x[0-9A-Fa-f]+|\d+)\n", text)}
    return (tuple(items("LAUNCHER_TEXTS")), tuple(items("LAUNCHER_WINDOW")),
            tuple(items("LAUNCHER_NAMES")), numbers)


TEXTS, WINDOW_TEXTS, NAMES, NUMBERS = read_ids()
BUFFERS = {name: size for name, size in NUMBERS.items() if name.endswith("_BUFFER")}
EDITION_RESOURCE = NUMBERS["EDITION_RESOURCE"]
LANGUAGE_MAX = NUMBERS["LANGUAGE_MAX"]
LANGUAGE_ROW_WORDS = NUMBERS["LANGUAGE_ROW_WORDS"]
KEY_PATH_BUFFER = BUFFERS["KEY_PATH_BUFFER"]  # "Software\company\product\version"
COMMAND_BUFFER = BUFFERS["COMMAND_BUFFER"]  # a program's command line
WARNING_BUFFER = BUFFERS["WARNING_BUFFER"]  # a warning's text once formatted
FOLDER_BUFFER = BUFFERS["FOLDER_BUFFER"]  # the longest folder a warning names
FACE_BUFFER = BUFFERS["FACE_BUFFER"]  # a font's name
# The warnings' texts: the others.
WARNING_TEXTS = tuple(name for name in TEXTS if name not in WINDOW_TEXTS)
LABEL_LENGTH = 16  # a disc's label, in characters
LARGEST = 65536  # install.exe's size at most, as tools/lib/pe.py check holds it

# The launcher window, in dialog units: its place and size, and its style (a
# caption with a close box, a font of its own), then each control as (its
# text, its id, its class, its style, its place and size). The buttons are
# those the launcher moves and sizes to fit their texts; the line is the
# static text above them.
WS_CHILD, WS_VISIBLE, WS_TABSTOP, WS_GROUP = 0x40000000, 0x10000000, 0x00010000, 0x00020000
BUTTON = WS_CHILD | WS_VISIBLE | WS_TABSTOP
WINDOW_STYLE = 0x00C00000 | 0x00080000 | 0x00000040  # WS_CAPTION | WS_SYSMENU | DS_SETFONT
WINDOW_PLACE = (44, 58, 287, 89)
WINDOW = (
    ("start_button", NUMBERS["ID_START"], "BUTTON", BUTTON | 1, (16, 60, 50, 14)),  # default
    ("cancel_button", NUMBERS["ID_CANCEL"], "BUTTON", BUTTON, (220, 60, 50, 14)),
    ("line", NUMBERS["ID_LINE"], "STATIC", WS_CHILD | WS_VISIBLE | WS_GROUP, (12, 25, 160, 8)),
    ("continue_button", NUMBERS["ID_CONTINUE"], "BUTTON", BUTTON, (84, 60, 50, 14)),
    ("install_button", NUMBERS["ID_INSTALL"], "BUTTON", BUTTON, (152, 60, 50, 14)),
)
# The version resource's fixed part: every flag known, Windows' 32-bit
# programs, an application.
VS_FFI_FILEFLAGSMASK, VOS__WINDOWS32, VFT_APP = 0x3F, 4, 1
# The language of the resources that have none of their own.
ENGLISH = 0x0409

# Windows' ANSI code pages, which the launcher's texts may be in, in the
# order the build looks for one that lacks a language's letters (to preview
# it in the face the launcher gives it there): the single-byte ones, then
# the double-byte ones of Japanese, Simplified Chinese, Korean and
# Traditional Chinese, where a letter may take two bytes.
CODE_PAGES = (1252, 1251, 1250, 1253, 1254, 1257, 874, 1258, 1255, 1256, 932, 936, 949, 950)
# Vietnamese: a letter with two marks ("ễ"), and many with one, code page
# 1258 has only as a base letter and a combining mark ("ê" and U+0303).
COMBINING_CODE_PAGES = (1258,)

# A locale under which Wine's ANSI code page is each of them.
LOCALES = {874: "th_TH.UTF-8", 932: "ja_JP.UTF-8", 936: "zh_CN.UTF-8", 949: "ko_KR.UTF-8",
           950: "zh_TW.UTF-8", 1250: "pl_PL.UTF-8", 1251: "ru_RU.UTF-8", 1252: "C.UTF-8",
           1253: "el_GR.UTF-8", 1254: "tr_TR.UTF-8", 1255: "he_IL.UTF-8", 1256: "ar_SA.UTF-8",
           1257: "lt_LT.UTF-8", 1258: "vi_VN.UTF-8"}

# Each setting and what it is.
SETTINGS = {
    "code_page": "code_page",
    "key_company": "key",
    "key_product": "key",
    "key_version": "key",
    "caption": "text",
    "font_name": "font_name",
    "font_size": "font_size",
    "line": "text",
    "start_button": "text",
    "continue_button": "text",
    "install_button": "text",
    "cancel_button": "text",
    "warning_caption": "text",
    "untitled": "untitled",
    "cannot_find": "warning",
    "game_run_error": "warning",
    "folder_error": "warning",
    "install_complete": "warning",
    "install_incomplete": "warning",
    "first_run_incomplete": "warning",
    "installer": "program",
    "sound_setup": "program",
    "sound_drive_switch": "switch",
    "game": "program",
    "continue_game": "program",
    "file_company": "text",
    "file_product": "text",
    "file_description": "text",
    "file_version": "file_version",
    "file_language": "file_language",
    "disc_label": "disc_label",
    "icon": "icon",
}
# What may be left out: the caption is then the product's name; a game
# without a sound setup needs no switch for it either; without an icon,
# install.exe has our plain one.
OPTIONAL = {"caption", "sound_setup", "sound_drive_switch", "icon"}
# What each language gives of its own, the default's above the first
# "[ID]"; every other setting is given once, for all.
LANGUAGE_SETTINGS = ("code_page",) + TEXTS + ("file_description",)
# What a language may give of its own besides: the face its window asks for
# first, and its size. The default's are the template's (above the first
# "[ID]").
LANGUAGE_FONT = ("font_name", "font_size")
# The font character set whose letters each code page has, as Windows numbers
# them (EASTEUROPE_CHARSET for 1250).
CHARSETS = {874: 222, 932: 128, 936: 134, 949: 129, 950: 136, 1250: 238, 1251: 204, 1252: 0,
            1253: 161, 1254: 162, 1255: 177, 1256: 178, 1257: 186, 1258: 163}
SAMPLE = "editions/english.edition"
# The languages most editions are in, by the locale names Python knows
# Windows' language ids by; a fault names them.
LANGUAGE_NAMES = {
    "bg": "Bulgarian", "ca": "Catalan", "cs": "Czech", "da": "Danish", "de": "German",
    "el": "Greek", "en": "English", "es": "Spanish", "et": "Estonian", "fi": "Finnish",
    "fr": "French", "he": "Hebrew", "hr": "Croatian", "hu": "Hungarian", "it": "Italian",
    "ja": "Japanese", "ko": "Korean", "lt": "Lithuanian", "lv": "Latvian", "nl": "Dutch",
    "nb": "Norwegian", "pl": "Polish", "pt": "Portuguese", "ro": "Romanian", "ru": "Russian",
    "sk": "Slovak", "sl": "Slovenian", "sr": "Serbian", "sv": "Swedish", "th": "Thai",
    "tr": "Turkish", "uk": "Ukrainian", "vi": "Vietnamese", "zh": "Chinese",
}
# Characters Windows allows in no file name.
NOT_IN_FILE_NAMES = set('\\/:*?"<>|')
LAUNCHER_NAME = "install.exe"
PLAIN_ICON = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "launcher",
                          "resources", "plain.ico")
class Fault(Exception):
    def __init__(self, line, text):
        super().__init__(text)
        self.line = line


class Language:
    """One language's settings: the default's (id None until read), or those
    of an "[ID]" line."""

    def __init__(self, id, line):
        self.id, self.line, self.settings = id, line, {}


def read_settings(path):
    """The file's settings as {name: (value, line)}, and its languages, the
    default first, each with its own {name: (value, line)}."""
    try:
        with open(path, "rb") as file:
            data = file.read()
    except OSError as error:
        raise Fault(None, "cannot be read: %s" % error.strerror)
    if data.startswith((b"\xff\xfe", b"\xfe\xff")) or b"\0" in data[:200]:
        raise Fault(None, "is UTF-16 text: save the file as UTF-8")
    if data.startswith(b"\xef\xbb\xbf"):
        data = data[3:]
    settings = {}
    languages = [Language(None, None)]
    for number, raw in enumerate(data.split(b"\n"), 1):
        try:
            line = raw.decode("utf-8").rstrip("\r")
        except UnicodeDecodeError:
            raise Fault(number, "is not UTF-8 text: save the file as UTF-8")
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        if line.lstrip().startswith("["):
            languages.append(read_language(line.strip(), number, languages))
            continue
        name, equals, value = line.partition("=")
        name, value = name.strip(), value.strip()
        if not equals:
            raise Fault(number, 'is not "setting = value"')
        if name not in SETTINGS:
            raise Fault(number, 'unknown setting "%s"' % name)
        own = languages[-1].settings
        own_font = len(languages) > 1 and name in LANGUAGE_FONT
        if len(languages) > 1 and name not in LANGUAGE_SETTINGS and not own_font:
            raise Fault(number, '"%s" is one for all languages: give it once, above the first '
                        '"[%04X]"' % (name, languages[1].id))
        if name in own or (name in settings and not own_font):
            first = (own.get(name) or settings.get(name))[1]
            raise Fault(number, '"%s" is set twice (first on line %d)' % (name, first))
        if not value:
            raise Fault(number, '"%s" is empty' % name)
        check_plain(name, value, number)
        if name in LANGUAGE_SETTINGS or own_font:
            own[name] = (value, number)
        else:
            settings[name] = (value, number)
    return settings, languages


def read_language(text, line, languages):
    """The language an "[ID]" line starts."""
    match = re.fullmatch(r"\[\s*(.*?)\s*\]", text)
    if not match:
        raise Fault(line, 'is not "setting = value", nor a language\'s "[ID]" ("[0407]")')
    id = check_language_id("[%s]" % match.group(1), match.group(1), line)
    for other in languages[1:]:
        if other.id == id:
            raise Fault(line, '"[%04X]" is given twice (first on line %d)' % (id, other.line))
    return Language(id, line)


def check_plain(name, value, line):
    """Refuses what looks like another file format's quoting or comment."""
    if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
        raise Fault(line, '"%s" is in quotation marks, which would be part of the text: '
                    'no quotes are needed' % name)
    if re.search(r"\s#(\s|$)", value):
        raise Fault(line, '"%s" has " # " in it, which would be part of the text: comments '
                    'go on a line of their own' % name)


def as_code_page_has(char, code_page):
    """The letter as the code page has it: itself; or, in code page 1258, its
    base letter with the marks the code page has it with as one letter, and
    the others as combining marks ("ễ" as "ê" and U+0303, "ặ" as "ă" and
    U+0323). None where the code page lacks it."""
    codec = "cp%d" % code_page
    forms = [char]
    if code_page in COMBINING_CODE_PAGES:
        base, *marks = unicodedata.normalize("NFD", char)
        forms += [unicodedata.normalize("NFC", base + mark) +
                  "".join(marks[:i] + marks[i + 1:]) for i, mark in enumerate(marks)]
        forms.append(base + "".join(marks))
    for form in forms:
        try:
            form.encode(codec)
            return form
        except UnicodeEncodeError:
            pass
    return None


def in_code_page(name, value, line, code_page):
    """The value as the code page writes it, every letter checked."""
    out = []
    for char in unicodedata.normalize("NFC", value) if code_page in COMBINING_CODE_PAGES \
            else value:
        if ord(char) < 0x20 or ord(char) == 0x7F:
            raise Fault(line, '"%s" has a control character' % name)
        form = as_code_page_has(char, code_page)
        if form is None:
            raise Fault(line, '"%s": "%s" is not in code page %d' % (name, char, code_page))
        out.append(form)
    return "".join(out)


def encoded(name, value, line, code_page):
    """The value in the edition's code page: what Windows 95 to ME are given,
    each buffer counted in its bytes (a letter of a double-byte code page
    may take two)."""
    return in_code_page(name, value, line, code_page).encode("cp%d" % code_page)


def check_warning(name, text, line):
    directives = re.findall(rb"%.?", text)
    if directives.count(b"%s") != 1 or len(directives) != 1:
        raise Fault(line, '"%s" must have exactly one %%s and no other %% (it has %s)' %
                    (name, " ".join(d.decode("latin-1") for d in directives) or "none"))
    # The longest folder still fits once it stands in for the %s.
    room = WARNING_BUFFER - FOLDER_BUFFER + 2
    if len(text) > room:
        raise Fault(line, '"%s" is %d bytes long; at most %d fit' % (name, len(text), room))


def check_program(name, value, text, line):
    # By letter: the second byte of a double-byte letter may be a "\\" or a
    # "|" ("ソ" is 0x83 0x5C in code page 932).
    if any(char in NOT_IN_FILE_NAMES for char in value):
        raise Fault(line, '"%s" must be a program\'s name alone, without a folder' % name)
    if " " in value:
        raise Fault(line, '"%s" has a space' % name)
    if text.lower() == LAUNCHER_NAME.encode():
        raise Fault(line, '"%s" is the launcher\'s own name' % name)
    if len(text) >= COMMAND_BUFFER:
        raise Fault(line, '"%s" is %d bytes long; at most %d fit' % (name, len(text),
                                                                     COMMAND_BUFFER - 1))


def check_value(name, kind, value, line, code_page):
    """The value as the header needs it: bytes for texts, else a number or tuple."""
    if kind == "code_page":
        if not value.isdigit() or int(value) not in CODE_PAGES:
            raise Fault(line, '"code_page" must be one of %s' % ", ".join(
                map(str, sorted(CODE_PAGES))))
        return int(value)
    if kind == "font_size":
        if not value.isdigit() or not 1 <= int(value) <= 72:
            raise Fault(line, '"font_size" must be a number of points from 1 to 72')
        return int(value)
    if kind == "file_version":
        parts = value.split(".")
        if len(parts) > 4 or not all(p.isdigit() and int(p) <= 65535 for p in parts):
            raise Fault(line, '"file_version" must be one to four numbers up to 65535, '
                        'with dots between them ("1.0")')
        return value.encode("ascii"), [int(p) for p in parts] + [0] * (4 - len(parts))
    if kind == "file_language":
        return check_language_id('"file_language"', value, line)
    if kind == "icon":
        return value
    if kind == "disc_label":
        # ISO 9660 holds capitals, digits and "_" alone in a volume's label,
        # and Joliet's, which Windows shows, 16 characters.
        if not re.fullmatch(r"[A-Z0-9_]{1,%d}" % LABEL_LENGTH, value):
            raise Fault(line, '"disc_label" must be 1 to %d capitals A to Z, digits and "_" '
                        '("TIDEWATER"): a CD\'s label holds no other' % LABEL_LENGTH)
        return value
    text = encoded(name, value, line, code_page)
    if kind == "key" and "\\" in value:
        raise Fault(line, '"%s" has a backslash' % name)
    if kind == "warning":
        check_warning(name, text, line)
    if kind == "program":
        check_program(name, value, text, line)
    if kind == "switch" and (" " in value or '"' in value):
        raise Fault(line, '"%s" has a space or a quotation mark' % name)
    if kind == "font_name" and len(text) >= FACE_BUFFER:
        raise Fault(line, '"font_name" is %d bytes long; at most %d fit' % (len(text),
                                                                             FACE_BUFFER - 1))
    if kind == "untitled" and len(text) >= FOLDER_BUFFER:
        raise Fault(line, '"untitled" is %d bytes long; at most %d fit' % (len(text),
                                                                            FOLDER_BUFFER - 1))
    return text


def check_language_id(what, value, line):
    """A Windows language id in four hex digits, as a number."""
    if not re.fullmatch(r"[0-9A-Fa-f]{4}", value) or int(value, 16) == 0:
        raise Fault(line, '%s must be a Windows language id of four hex digits ("0407" German, '
                    '"0409" English, "0415" Polish)' % what)
    if int(value, 16) not in locale.windows_locale:
        hint = ""
        if value.isdigit() and int(value) in locale.windows_locale:
            hint = " (%04X, %s, is %s in decimal?)" % (int(value), language_name(int(value)),
                                                       value)
        raise Fault(line, '%s: %s is no language Windows knows; give its id in hex%s' %
                    (what, value, hint))
    return int(value, 16)


def check_icon(folder, value, line):
    """The icon install.exe carries, made from the picture the setting names
    (icons.py): a PNG, or an ICO of any images."""
    path = os.path.join(folder, value)
    try:
        with open(path, "rb") as file:
            data = file.read()
    except OSError as error:
        raise Fault(line, '"icon": %s cannot be read: %s' % (value, error.strerror))
    try:
        return icons.make(data)
    except icons.IconFault as fault:
        raise Fault(line, '"icon": %s %s' % (value, fault))


def check_shortcut(name, value, line):
    """A "&" would underline the next letter as a key, and the window takes no
    keys: "&&" shows one "&"."""
    if "&" in value.replace("&&", ""):
        raise Fault(line, '"%s" has a "&", which would underline the letter after it as a '
                    'keyboard shortcut that the window does not have: write "&&" for a "&"'
                    % name)


def language_name(language):
    code = locale.windows_locale[language]
    return "%s, %s" % (LANGUAGE_NAMES.get(code.split("_")[0], code), code)


def check_edition(path):
    """The edition's values, every one checked, the default language's among
    them, and its languages, the default first."""
    settings, languages = read_settings(path)
    default = languages[0]
    merged = dict(settings, **default.settings)
    for name in SETTINGS:
        if name not in merged and name not in OPTIONAL:
            raise Fault(None, 'no setting "%s": add a line "%s = ...", as %s shows with what '
                        'it is for' % (name, name, SAMPLE))
    if ("sound_setup" in merged) != ("sound_drive_switch" in merged):
        given, missing = (("sound_setup", "sound_drive_switch") if "sound_setup" in merged
                          else ("sound_drive_switch", "sound_setup"))
        raise Fault(merged[given][1], '"%s" is set, but "%s" is not: a sound setup needs both, '
                    'a game without one neither' % (given, missing))
    code_page = check_value("code_page", "code_page", *merged["code_page"], 0)
    if "caption" not in merged:
        merged["caption"] = merged["key_product"]
    values = {name: check_value(name, SETTINGS[name], value, line, code_page)
              for name, (value, line) in merged.items()}
    default.id = values["file_language"]
    default.settings = {name: merged[name] for name in LANGUAGE_SETTINGS}
    for language in languages[1:]:
        if language.id == default.id:
            raise Fault(language.line, '"[%04X]" is the default language ("file_language"), whose '
                        'texts come before the first "[ID]"' % language.id)
        complete(language, default, merged)
    if len(languages) > LANGUAGE_MAX:
        raise Fault(languages[LANGUAGE_MAX].line, '"[%04X]": install.exe takes at most %d '
                    'languages, the default among them' % (languages[LANGUAGE_MAX].id,
                                                           LANGUAGE_MAX))
    texts = [language_texts(language) for language in languages]

    key = b"\\".join([b"Software", values["key_company"], values["key_product"],
                      values["key_version"]])
    if len(key) >= KEY_PATH_BUFFER:
        raise Fault(settings["key_version"][1], 'the key "%s" is %d bytes long; at most %d fit'
                    % (key.decode("cp%d" % code_page), len(key), KEY_PATH_BUFFER - 1))
    for name in ("sound_setup", "sound_drive_switch"):
        values.setdefault(name, b"")
    # Built as "<program> <switch><drive letter>".
    sound = len(values["sound_setup"]) + 1 + len(values["sound_drive_switch"]) + 1
    if values["sound_setup"] and sound >= COMMAND_BUFFER:
        raise Fault(settings["sound_drive_switch"][1], 'the sound setup\'s command line is %d '
                    'bytes long; at most %d fit' % (sound, COMMAND_BUFFER - 1))
    values["file_company_text"] = merged["file_company"][0]
    values["file_product_text"] = merged["file_product"][0]
    values["key_utf8"] = [merged[name][0] for name in ("key_company", "key_product",
                                                        "key_version")]
    if "icon" in merged:
        values["icon_path"] = os.path.join(os.path.dirname(os.path.abspath(path)), values["icon"])
        values["icon"] = check_icon(os.path.dirname(path), *merged["icon"])
        values["icon_line"] = merged["icon"][1]
    else:
        values["icon_path"] = os.path.normpath(PLAIN_ICON)
        with open(PLAIN_ICON, "rb") as file:
            values["icon"] = file.read()
        values["icon_line"] = None
    values["key_lines"] = {name: merged[name] for name in ("key_company", "key_product",
                                                           "key_version")}
    return values, texts


def key_notices(source, values, languages):
    """Windows 95 to ME open the record by its key's name in their own code
    page: a letter of the key that the code page of one of the edition's
    languages lacks keeps such a Windows from finding the record. Said, not
    refused: Windows NT finds it by its Unicode name."""
    out = []
    for name, (text, line) in values["key_lines"].items():
        for language in languages:
            lacking = []
            for char in text:
                try:
                    char.encode("cp%d" % language["code_page"])
                except UnicodeEncodeError:
                    lacking.append(char)
            if lacking:
                out.append('%s:%d: notice: "%s" has "%s", which code page %d of [%04X] lacks: '
                           'Windows 95, 98 and ME of that code page cannot find the installation '
                           'record, and run the installer at every start' % (
                               source, line, name, "".join(lacking), language["code_page"],
                               language["id"]))
    return out


def complete(language, default, merged):
    """Refuses a language that lacks a text the default has; one that leaves
    the caption out when the default does too has the product's name."""
    for name in LANGUAGE_SETTINGS:
        if name in language.settings:
            continue
        if name == "caption" and default.settings["caption"] is merged["key_product"]:
            language.settings[name] = merged["key_product"]
            continue
        raise Fault(language.line, '"[%04X]" has no "%s", which the default language has: add '
                    'a line "%s = ..." after this one' % (language.id, name, name))


def language_texts(language):
    """The language's id, code page and texts (str), each text checked in
    its code page."""
    own = language.settings
    code_page = check_value("code_page", "code_page", *own["code_page"], 0)
    texts, ansi_texts = {}, {}
    for name in LANGUAGE_SETTINGS[1:]:
        value, line = own[name]
        check_value(name, SETTINGS[name], value, line, code_page)
        if name in WINDOW_TEXTS[1:]:
            check_shortcut(name, value, line)
        texts[name] = value
        ansi_texts[name] = in_code_page(name, value, line, code_page)
    face, points = "", 0
    if "font_name" in own:
        face, line = own["font_name"]
        check_value("font_name", "font_name", face, line, code_page)
        if not face.isascii():
            raise Fault(line, '"font_name": give the face\'s English name, in ASCII, as '
                        'Windows knows it on every code page ("MS UI Gothic")')
    if "font_size" in own:
        points = check_value("font_size", "font_size", *own["font_size"], code_page)
    return {"id": language.id, "code_page": code_page, "texts": texts, "ansi_texts": ansi_texts,
            "face": face, "points": points,
            "lines": {name: line for name, (value, line) in own.items()}}


def lock_name(company, product):
    """The lock's name, in ASCII, which every ANSI code page reads alike: a
    letter outside it as "+" and its number ("+0141" for "Ł"); a name too
    long for Windows (MAX_PATH) as a hash of it."""
    name = "".join(char if ord(char) < 0x80 and char != "+" else "+%04X" % ord(char)
                   for char in "%s %s" % (company, product)) + " " + LAUNCHER_NAME
    if len(name) >= 260:
        name = "%s %s" % (hashlib.sha256(name.encode("ascii")).hexdigest(), LAUNCHER_NAME)
    return name.encode("ascii")


def language_layout(languages):
    """The languages' texts one after the other, each with its terminator,
    and each language's row: (id, code page, character set, points, where
    its texts start, where its texts for Windows 95 to ME start, face).
    Windows NT shows the texts as typed; where Windows 95 to ME need them
    written otherwise (Vietnamese, in the letters and marks of code page
    1258), a second block of the language's texts follows for them."""
    texts, rows = b"", []

    def block(of):
        return b"".join(of[name].encode("utf-8") + b"\0" for name in TEXTS)

    for language in languages:
        typed, ansi = block(language["texts"]), block(language["ansi_texts"])
        start = len(texts)
        texts += typed
        ansi_start = start
        if ansi != typed:
            ansi_start = len(texts)
            texts += ansi
        rows.append((language["id"], language["code_page"], CHARSETS[language["code_page"]],
                     language["points"], start, ansi_start, language["face"].encode("ascii")))
    return texts, rows


def edition_data(values, languages):
    """The edition as install.exe reads it from its resources (base/ids.h,
    EDITION_RESOURCE): the number of languages, the place of each name,
    each language's row, then the names, texts and faces."""
    company, product, version = values["key_utf8"]
    names = {"key_company": company.encode("utf-8"), "key_product": product.encode("utf-8"),
             "key_version": version.encode("utf-8"), "mutex": lock_name(company, product)}
    texts, rows = language_layout(languages)
    start = 2 * (1 + len(NAMES) + LANGUAGE_ROW_WORDS * len(rows))
    strings, places = b"", []
    for name in NAMES:
        places.append(start + len(strings))
        strings += names.get(name, values.get(name)) + b"\0"
    texts_at = start + len(strings)
    strings += texts
    words = [len(rows)] + places
    for id, code_page, charset, points, typed, ansi, face in rows:
        words += [id, code_page, charset, points, texts_at + typed, texts_at + ansi,
                  start + len(strings)]
        strings += face + b"\0"
    # Every place a WORD: the data is at most 64 KiB less a byte.
    size = 2 * len(words) + len(strings)
    if size > 0xFFFF:
        raise Fault(None, "its texts and names take %d bytes; at most 65535 fit" % size)
    return struct.pack("<%dH" % len(words), *words) + strings


def window_template(values):
    """The launcher window's dialog template (DLGTEMPLATE): a modeless dialog
    of the private class "Install", with the edition's caption, font and
    default texts, its controls in the order of WINDOW."""
    code_page = "cp%d" % values["code_page"]

    def text(value):
        return value.encode("utf-16-le") + b"\0\0"

    x, y, width, height = WINDOW_PLACE
    out = struct.pack("<IIHhhhh", WINDOW_STYLE, 0, len(WINDOW), x, y, width, height)
    out += b"\0\0" + text("INSTALL") + text(values["caption"].decode(code_page))
    out += struct.pack("<H", values["font_size"]) + text(values["font_name"].decode(code_page))
    for name, id, kind, style, place in WINDOW:
        out += bytes(-len(out) % 4)
        out += struct.pack("<IIhhhhH", style, 0, *place, id)
        out += text(kind) + text(values[name].decode(code_page)) + b"\0\0"
    return out


def version_node(key, value=b"", text=False, children=()):
    """A node of the version resource (VS_VERSIONINFO and its children): its
    lengths, its key, its value and its children, each on a 4-byte
    boundary."""
    body = key.encode("utf-16-le") + b"\0\0"
    body += bytes(-(6 + len(body)) % 4) + value
    for child in children:
        body += bytes(-(6 + len(body)) % 4) + child
    length = len(value) // 2 if text else len(value)
    return struct.pack("<HHH", 6 + len(body), length, 1 if text else 0) + body


def version_info(values, languages):
    """What Windows shows of install.exe in the file's properties: a block of
    strings for each language, the default's with them all; another
    language's has its own text alone, the description (the names and
    version are the same in every language, and Windows shows the
    default's where a block has none)."""
    version = values["file_version"][0].decode("ascii")
    numbers = values["file_version"][1]
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x00010000, numbers[0] << 16 | numbers[1],
                        numbers[2] << 16 | numbers[3], numbers[0] << 16 | numbers[1],
                        numbers[2] << 16 | numbers[3], VS_FFI_FILEFLAGSMASK, 0, VOS__WINDOWS32,
                        VFT_APP, 0, 0, 0)
    tables = []
    for language in languages:
        strings = [("FileDescription", language["texts"]["file_description"])]
        if language is languages[0]:
            strings = [("CompanyName", values["file_company_text"])] + strings + [
                ("FileVersion", version), ("InternalName", LAUNCHER_NAME),
                ("OriginalFilename", LAUNCHER_NAME), ("ProductName", values["file_product_text"]),
                ("ProductVersion", version)]
        tables.append(version_node("%04X%04X" % (language["id"], language["code_page"]), text=True,
                                   children=[version_node(key, value.encode("utf-16-le") + b"\0\0",
                                                          text=True) for key, value in strings]))
    translations = b"".join(struct.pack("<HH", language["id"], language["code_page"])
                            for language in languages)
    return version_node("VS_VERSION_INFO", fixed, children=[
        version_node("StringFileInfo", text=True, children=tables),
        version_node("VarFileInfo", text=True,
                     children=[version_node("Translation", translations)])])


def icon_resources(icon):
    """The icon's images (RT_ICON, ids 1 on) and its group (RT_GROUP_ICON
    1, which Explorer, AutoPlay and the window's caption show): the ICO
    file's directory with each image's id where the file gives its place."""
    count = struct.unpack_from("<H", icon, 4)[0]
    group, images = struct.pack("<HHH", 0, 1, count), []
    for index in range(count):
        fields = struct.unpack_from("<BBBBHHII", icon, 6 + 16 * index)
        group += struct.pack("<BBBBHHIH", *fields[:7], index + 1)
        images.append((rsrc.RT_ICON, index + 1, ENGLISH, icon[fields[7]:fields[7] + fields[6]]))
    return images + [(rsrc.RT_GROUP_ICON, 1, ENGLISH, group)]


def resources(values, languages, template, window=True):
    """Every resource of the edition's install.exe: its icon, its window
    (unless `window` is false: a test's launcher that cannot make one), its
    application manifest (type 24, id 1, made from the manifest
    `template`), its version in its default language, and its data."""
    made = icon_resources(values["icon"])
    if window:
        made.append((rsrc.RT_DIALOG, "INSTALL", ENGLISH, window_template(values)))
    made += [(rsrc.RT_MANIFEST, 1, ENGLISH, manifest(values, template).encode("utf-8")),
             (rsrc.RT_VERSION, 1, languages[0]["id"], version_info(values, languages)),
             (rsrc.RT_RCDATA, EDITION_RESOURCE, ENGLISH, edition_data(values, languages))]
    return made


def manifest(values, template):
    # An assembly's name takes letters and digits, in parts joined by dots.
    parts = [re.sub(rb"[^A-Za-z0-9]", b"", values[name]).decode("ascii")
             for name in ("key_company", "key_product")]
    name = ".".join([part for part in parts if part] + ["Install"])
    version = ".".join(map(str, values["file_version"][1]))
    with open(template, encoding="utf-8") as file:
        text = file.read()
    return text.replace("@NAME@", name).replace("@VERSION@", version)


def write(path, text):
    mode = "wb" if isinstance(text, bytes) else "w"
    with open(path, mode, **({} if mode == "wb" else {"encoding": "utf-8", "newline": "\n"})) as file:
        file.write(text)


def find_language(languages, id):
    wanted = check_language_id("the language", id, None) if id else languages[0]["id"]
    for language in languages:
        if language["id"] == wanted:
            return language
    raise Fault(None, "has no language %04X" % wanted)


def shown_letters(language):
    """The letters of the language's window texts that a control draws (the
    caption is Windows' own)."""
    return set("".join(language["texts"][name] for name in WINDOW_TEXTS[1:]))


def measure_on(languages):
    """The code pages of the Windows that the window is previewed on: each
    language's own, where the dialog's font draws them; and, for a
    language with a letter that a code page lacks, the first such code page,
    where the launcher draws its texts in another face (launcher/face.h). On
    every other one they are drawn in the template's face as at home: the
    code pages' variants of "MS Sans Serif" give a letter they share the
    same width."""
    pages = []
    for language in languages:
        wanted = [language["code_page"]]
        for code_page in CODE_PAGES:
            try:
                "".join(shown_letters(language)).encode("cp%d" % code_page)
            except UnicodeEncodeError:
                wanted.append(code_page)
                break
        pages += [page for page in wanted if page not in pages]
    return pages


def preview(source, languages, lines):
    """fit.exe's lines ("ID CODE_PAGE DPI: what"), each said as
    where the launcher's window grows for a language, or as a notice that
    the fonts here cannot preview it: on Windows the launcher measures the
    player's own, and shows a language no face there has the letters of as
    another."""
    ids = {"%04X" % language["id"]: language for language in languages}
    out = []
    for text in lines:
        # fit.exe writes its lines in text mode, ended by CR LF.
        head, _, what = text.rstrip("\r\n").partition(": ")
        if not head:
            continue
        id, code_page, dpi = head.split()
        language = ids[id]
        name = LANGUAGE_NAMES.get(locale.windows_locale.get(language["id"], "").split("_")[0],
                                  "[%s]" % id)
        at = "on a Windows of code page %s" % code_page
        if what == "no face":
            out.append("%s:%d: notice: %s cannot be previewed %s at %s dpi: no face here has all "
                       "its letters (on Windows, the launcher shows it where a face has them, "
                       "else another language)" % (source, language["lines"]["line"], name, at,
                                                   dpi))
            continue
        _, wider, taller, face = what.split(None, 3)
        wider, taller = int(wider), int(taller)
        growth = " and ".join(["%d px wider" % wider] * (wider > 0) +
                              ["%d px taller" % taller] * (taller > 0))
        if growth:
            out.append("%s %s, in %s, at %s dpi: the window grows %s" % (name, at, face, dpi,
                                                                        growth))
    return out


def main(arguments):
    modes = {"--check": 1, "--locale": 1, "--disc": 1, "--preview": 1, "--languages": 1,
             "--texts": 2, "--measure": 1, "--icon": 1, "--write": 3,
             "--write-without-window": 3, "--write-test-program": 3, "--ico": 2}
    mode = arguments[0] if arguments[:1] and arguments[0] in modes else None
    if mode:
        arguments = arguments[1:]
    if not mode or len(arguments) != modes[mode]:
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    source = arguments[0]
    try:
        values, languages = check_edition(source)
        language = find_language(languages, arguments[1] if mode == "--texts" else None)
    except Fault as fault:
        where = source if fault.line is None else "%s:%d" % (source, fault.line)
        print("%s: %s" % (where, fault), file=sys.stderr)
        return 1
    if mode in ("--check", "--write", "--write-without-window"):
        for notice in key_notices(source, values, languages):
            print(notice, file=sys.stderr)
    if mode == "--preview":
        for line in preview(source, languages, sys.stdin):
            print(line)
    if mode == "--icon":
        print(values["icon_line"] or "-", icons.resource_bytes(values["icon"]),
              icons.describe(values["icon"]))
    if mode == "--measure":
        for code_page in measure_on(languages):
            print(code_page, LOCALES[code_page])
    if mode == "--locale":
        print(LOCALES[values["code_page"]], values["code_page"])
    if mode == "--languages":
        for each in languages:
            print("%04X" % each["id"], each["code_page"], LOCALES[each["code_page"]])
    if mode == "--texts":
        print("id=%04X" % language["id"])
        print("code_page=%d" % language["code_page"])
        print("charset=%d" % CHARSETS[language["code_page"]])
        print("font_name=%s" % language["face"])
        print("font_size=%d" % language["points"])
        for name in WINDOW_TEXTS:
            print("%s=%s" % (name, language["texts"][name]))
    if mode == "--disc":
        code_page = "cp%d" % values["code_page"]
        print(values["disc_label"])
        for name in ("installer", "sound_setup", "game", "continue_game", "file_product"):
            print(values[name].decode(code_page))
    if mode == "--ico":
        write(arguments[1], values["icon"])
    if mode not in ("--write", "--write-without-window", "--write-test-program"):
        return 0
    launcher, output = arguments[1:]
    template = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "launcher",
                            "resources", "install.manifest")
    try:
        with open(launcher, "rb") as file:
            program = rsrc.replace(file.read(), resources(values, languages, template,
                                                          mode != "--write-without-window"))
    except (OSError, rsrc.ResourceFault) as fault:
        print("%s: %s" % (launcher, getattr(fault, "strerror", None) or fault), file=sys.stderr)
        return 1
    except Fault as fault:
        print("%s: %s" % (source, fault), file=sys.stderr)
        return 1
    # The icon's images are what a publisher can change most.
    if len(program) > LARGEST and mode != "--write-test-program":
        where = source if values["icon_line"] is None else '%s:%d: "icon":' % (
            source, values["icon_line"])
        print("%s install.exe would be %d bytes, over the %d it may have; its icon takes %d of "
              "them (%s): give a picture of fewer colours, or shorter texts"
              % (where, len(program), LARGEST, icons.resource_bytes(values["icon"]),
                 icons.describe(values["icon"])), file=sys.stderr)
        return 1
    # Written beside its place, then moved there: a run that fails leaves
    # what was there as it was.
    work = "%s.%d.part" % (output, os.getpid())
    try:
        write(work, program)
        os.chmod(work, 0o755)
        os.replace(work, output)
    finally:
        if os.path.exists(work):
            os.remove(work)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
