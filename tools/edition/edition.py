#!/usr/bin/env python3
"""Turns an edition file into the names and texts install.exe is built with.

    edition.py EDITION_FILE OUTPUT_FOLDER    writes edition.h and install.manifest
    edition.py --check EDITION_FILE          only checks the file
    edition.py --locale EDITION_FILE         prints a Linux locale whose Windows
                                             code page is the edition's, and
                                             that code page
    edition.py --disc EDITION_FILE           prints what its disc needs, a line
                                             each: the disc's label, the
                                             installer, the sound setup, the
                                             game, the game continued, and the
                                             product's name
    edition.py --place EDITION_FILE          reads fit.exe's "setting:measure"
                                             lines, and prints each with the
                                             setting's line in the file

An edition file is UTF-8 text, one "setting = value" a line; blank lines and
lines that start with "#" are left out. A file with a fault stops here with
FILE:LINE: and what is wrong, and nothing is written.
"""
import locale
import os
import re
import sys

# The launcher's buffers (launcher/, record/, children/), terminator included.
KEY_PATH_BUFFER = 256  # "Software\company\product\version"
COMMAND_BUFFER = 260  # a program's command line
WARNING_BUFFER = 576  # a warning's text once formatted
FOLDER_BUFFER = 260  # the longest folder a warning names
FACE_BUFFER = 32  # a font's name
LABEL_LENGTH = 16  # a disc's label, in characters

# Windows' single-byte ANSI code pages, which the launcher's texts may be in.
CODE_PAGES = (874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258)

# A locale under which Wine's ANSI code page is each of them.
LOCALES = {874: "th_TH.UTF-8", 1250: "pl_PL.UTF-8", 1251: "ru_RU.UTF-8", 1252: "C.UTF-8",
           1253: "el_GR.UTF-8", 1254: "tr_TR.UTF-8", 1255: "he_IL.UTF-8", 1256: "ar_SA.UTF-8",
           1257: "lt_LT.UTF-8", 1258: "vi_VN.UTF-8"}

# Each setting and what it is. "caption" alone may be left out.
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
}
OPTIONAL = {"caption"}
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


class Fault(Exception):
    def __init__(self, line, text):
        super().__init__(text)
        self.line = line


def read_settings(path):
    """The settings of the file as {name: (value, line)}."""
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
    for number, raw in enumerate(data.split(b"\n"), 1):
        try:
            line = raw.decode("utf-8").rstrip("\r")
        except UnicodeDecodeError:
            raise Fault(number, "is not UTF-8 text: save the file as UTF-8")
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        name, equals, value = line.partition("=")
        name, value = name.strip(), value.strip()
        if not equals:
            raise Fault(number, 'is not "setting = value"')
        if name not in SETTINGS:
            raise Fault(number, 'unknown setting "%s"' % name)
        if name in settings:
            raise Fault(number, '"%s" is set twice (first on line %d)' % (name, settings[name][1]))
        if not value:
            raise Fault(number, '"%s" is empty' % name)
        check_plain(name, value, number)
        settings[name] = (value, number)
    return settings


def check_plain(name, value, line):
    """Refuses what looks like another file format's quoting or comment."""
    if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
        raise Fault(line, '"%s" is in quotation marks, which would be part of the text: '
                    'no quotes are needed' % name)
    if re.search(r"\s#(\s|$)", value):
        raise Fault(line, '"%s" has " # " in it, which would be part of the text: comments '
                    'go on a line of their own' % name)


def encoded(name, value, line, code_page):
    """The value in the edition's code page."""
    for char in value:
        if ord(char) < 0x20 or ord(char) == 0x7F:
            raise Fault(line, '"%s" has a control character' % name)
        try:
            char.encode("cp%d" % code_page)
        except UnicodeEncodeError:
            raise Fault(line, '"%s": "%s" is not in code page %d' % (name, char, code_page))
    return value.encode("cp%d" % code_page)


def check_warning(name, text, line):
    directives = re.findall(rb"%.?", text)
    if directives.count(b"%s") != 1 or len(directives) != 1:
        raise Fault(line, '"%s" must have exactly one %%s and no other %% (it has %s)' %
                    (name, " ".join(d.decode("latin-1") for d in directives) or "none"))
    # The longest folder still fits once it stands in for the %s.
    room = WARNING_BUFFER - FOLDER_BUFFER + 2
    if len(text) > room:
        raise Fault(line, '"%s" is %d bytes long; at most %d fit' % (name, len(text), room))


def check_program(name, text, line):
    if any(chr(byte) in NOT_IN_FILE_NAMES for byte in text):
        raise Fault(line, '"%s" must be a program\'s name alone, without a folder' % name)
    if b" " in text:
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
            raise Fault(line, '"code_page" must be one of %s' % ", ".join(map(str, CODE_PAGES)))
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
        if not re.fullmatch(r"[0-9A-Fa-f]{4}", value) or int(value, 16) == 0:
            raise Fault(line, '"file_language" must be a Windows language id of four hex '
                        'digits ("0407" German, "0409" English, "0415" Polish)')
        if int(value, 16) not in locale.windows_locale:
            hint = ""
            if value.isdigit() and int(value) in locale.windows_locale:
                hint = " (%04X, %s, is %s in decimal?)" % (int(value), language_name(int(value)),
                                                           value)
            raise Fault(line, '"file_language": %s is no language Windows knows; give its id '
                        'in hex%s' % (value, hint))
        return int(value, 16)
    if kind == "disc_label":
        # ISO 9660 holds capitals, digits and "_" alone in a volume's label,
        # and Joliet's, which Windows shows, 16 characters.
        if not re.fullmatch(r"[A-Z0-9_]{1,%d}" % LABEL_LENGTH, value):
            raise Fault(line, '"disc_label" must be 1 to %d capitals A to Z, digits and "_" '
                        '("TIDEWATER"): a CD\'s label holds no other' % LABEL_LENGTH)
        return value
    text = encoded(name, value, line, code_page)
    if kind == "key" and b"\\" in text:
        raise Fault(line, '"%s" has a backslash' % name)
    if kind == "warning":
        check_warning(name, text, line)
    if kind == "program":
        check_program(name, text, line)
    if kind == "switch" and (b" " in text or b'"' in text):
        raise Fault(line, '"%s" has a space or a quotation mark' % name)
    if kind == "font_name" and len(text) >= FACE_BUFFER:
        raise Fault(line, '"font_name" is %d bytes long; at most %d fit' % (len(text),
                                                                             FACE_BUFFER - 1))
    if kind == "untitled" and len(text) >= FOLDER_BUFFER:
        raise Fault(line, '"untitled" is %d bytes long; at most %d fit' % (len(text),
                                                                            FOLDER_BUFFER - 1))
    return text


def language_name(language):
    code = locale.windows_locale[language]
    return "%s, %s" % (LANGUAGE_NAMES.get(code.split("_")[0], code), code)


def check_edition(path):
    """The edition's values, every one checked."""
    settings = read_settings(path)
    for name in SETTINGS:
        if name not in settings and name not in OPTIONAL:
            raise Fault(None, 'no setting "%s": add a line "%s = ...", as %s shows with what '
                        'it is for' % (name, name, SAMPLE))
    code_page = check_value("code_page", "code_page", *settings["code_page"], 0)
    if "caption" not in settings:
        settings["caption"] = settings["key_product"]
    values = {name: check_value(name, SETTINGS[name], value, line, code_page)
              for name, (value, line) in settings.items()}

    key = b"\\".join([b"Software", values["key_company"], values["key_product"],
                      values["key_version"]])
    if len(key) >= KEY_PATH_BUFFER:
        raise Fault(settings["key_version"][1], 'the key "%s" is %d bytes long; at most %d fit'
                    % (key.decode("cp%d" % code_page), len(key), KEY_PATH_BUFFER - 1))
    # Built as "<program> <switch><drive letter>".
    sound = len(values["sound_setup"]) + 1 + len(values["sound_drive_switch"]) + 1
    if sound >= COMMAND_BUFFER:
        raise Fault(settings["sound_drive_switch"][1], 'the sound setup\'s command line is %d '
                    'bytes long; at most %d fit' % (sound, COMMAND_BUFFER - 1))
    return values


def c_string(text):
    """A C and resource-script string literal of the bytes, in either."""
    out = []
    for byte in text:
        if 0x20 <= byte < 0x7F and byte not in b'"\\':
            out.append(chr(byte))
        else:
            out.append("\\%03o" % byte)
    return '"' + "".join(out) + '"'


def header(values, source):
    language = values["file_language"]
    code_page = values["code_page"]
    version_text, version_numbers = values["file_version"]
    lines = [
        "// Made by tools/edition/edition.py from %s; not to be edited." % os.path.basename(source),
        "#pragma once",
        "#ifdef RC_INVOKED",
        "#pragma code_page(%d)" % code_page,
        "#endif",
        "#define EDITION_CODE_PAGE %d" % code_page,
        "#define EDITION_FONT_SIZE %d" % values["font_size"],
    ]
    # Each text as EDITION_<SETTING>: EDITION_KEY_COMPANY, EDITION_START_BUTTON.
    lines += ["#define EDITION_%s %s" % (name.upper(), c_string(value))
              for name, value in values.items() if isinstance(value, bytes)]
    # One name per company and product: two editions' launchers never see
    # each other as the one that runs.
    mutex = values["key_company"] + b" " + values["key_product"] + b" " + LAUNCHER_NAME.encode()
    lines += [
        "#define EDITION_MUTEX %s" % c_string(mutex),
        "#define EDITION_FILE_VERSION %s" % c_string(version_text),
        "#define EDITION_FILE_VERSION_NUMBERS %s" % ", ".join(map(str, version_numbers)),
        "#define EDITION_LANGUAGE 0x%04X" % language,
        "#define EDITION_LANGUAGE_PRIMARY %d" % (language & 0x3FF),
        "#define EDITION_LANGUAGE_SUB %d" % (language >> 10),
        '#define EDITION_STRING_BLOCK "%04X%04X"' % (language, code_page),
    ]
    return "\n".join(lines) + "\n"


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
    with open(path, "w", encoding="utf-8", newline="\n") as file:
        file.write(text)


def place(source, faults):
    """fit.exe's faults, each with the setting's line: the caption, when left
    out, is the product's name, on its line."""
    settings = read_settings(source)
    out = []
    for fault in faults:
        setting, _, measure = fault.rstrip("\n").partition(":")
        if setting in settings:
            where, what = settings[setting][1], '"%s"' % setting
        elif setting == "caption":
            where = settings["key_product"][1]
            what = '"caption" (left out, so the product\'s name, "key_product")'
        else:
            where, what = None, '"%s"' % setting
        out.append("%s%s: %s does not fit its place in the window:%s" % (
            source, "" if where is None else ":%d" % where, what, measure))
    return out


def main(arguments):
    modes = (["--check"], ["--locale"], ["--disc"], ["--place"])
    mode = arguments[0] if arguments[:1] in modes else None
    check_only = mode is not None
    if check_only:
        arguments = arguments[1:]
    if len(arguments) != (1 if check_only else 2):
        print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
        return 2
    source = arguments[0]
    try:
        values = check_edition(source)
    except Fault as fault:
        where = source if fault.line is None else "%s:%d" % (source, fault.line)
        print("%s: %s" % (where, fault), file=sys.stderr)
        return 1
    if mode == "--place":
        print("\n".join(place(source, sys.stdin)))
    if mode == "--locale":
        print(LOCALES[values["code_page"]], values["code_page"])
    if mode == "--disc":
        code_page = "cp%d" % values["code_page"]
        print(values["disc_label"])
        for name in ("installer", "sound_setup", "game", "continue_game", "file_product"):
            print(values[name].decode(code_page))
    if check_only:
        return 0
    folder = arguments[1]
    template = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "launcher",
                            "resources", "install.manifest")
    os.makedirs(folder, exist_ok=True)
    write(os.path.join(folder, "install.manifest"), manifest(values, template))
    write(os.path.join(folder, "edition.h"), header(values, source))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
