#!/usr/bin/python3
"""Windows programs (PE files), read and patched with Debian's pefile:

    pe.py finish PROGRAM
        after linking: cuts the zeroes at the end of the last section out of
        the file, marks the program to run from the swap file, and writes
        its header's checksum; running it again changes nothing
    pe.py check [--machine i386|x86-64] PROGRAM ICON
        checks a built install.exe without running it, and says what it
        found (the benchmark and tools/edition.sh read these lines); fails
        on any fault, each on a line of its own
    pe.py is-program FILE
        succeeds when FILE is a Windows program (tools/sign.sh asks)
    pe.py programs FOLDER
        prints each Windows program below FOLDER (.exe, .dll, whatever its
        name), a line each: "signed" or "unsigned" and its path from FOLDER
        (tools/disc.sh asks)

The shipped build is i386 (the default); the x86-64 build is held to the
same, but for what only a 32-bit program can be (Windows 4.0, 64 KiB, four
sections, and imports that Windows 95 and NT 4.0 have).
"""
import argparse
import os
import re
import struct
import sys
import xml.dom.minidom

import pefile

import icons

HERE = os.path.dirname(os.path.abspath(__file__))
# The functions the launcher may import (win95_nt4_imports.txt says why).
IMPORTS = os.path.join(HERE, "win95_nt4_imports.txt")

# IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP and IMAGE_FILE_NET_RUN_FROM_SWAP, which
# GNU ld cannot set.
RUN_FROM_SWAP = 0x0400 | 0x0800
# DllCharacteristics: DYNAMIC_BASE and NX_COMPAT.
DYNAMIC_BASE_NX_COMPAT = 0x0040 | 0x0100
MACHINES = {"i386": (0x014C, 0x10B), "x86-64": (0x8664, 0x20B)}
LARGEST = 65536
SECTIONS = [".text", ".reloc", ".idata", ".rsrc"]
# The Windows an application manifest names as supported: Vista, 7, 8, 8.1
# and 10/11.
SUPPORTED_OS = ("e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
                "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
                "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a")
RT_ICON, RT_GROUP_ICON, RT_MANIFEST = 3, 14, 24


def _name(section):
    return section.Name.rstrip(b"\0").decode("latin-1")


def _last_section(pe):
    """The section whose bytes come last in the file."""
    return max(pe.sections, key=lambda section: section.PointerToRawData, default=None)


def drop_zero_tail(data):
    """`data` without the zero bytes at the end of its last section, in
    whole blocks of its file alignment. The section keeps its size in
    memory, and Windows fills what the file no longer holds with zeroes, as
    it does for every section whose size in memory is larger than its bytes
    in the file (Windows 95 on). GNU ld writes the zeroed variables out in
    full when they share a section with data, as install.exe's do
    (cmake/install.ld.in)."""
    pe = pefile.PE(data=data, fast_load=True)
    last = _last_section(pe)
    if last is None:
        return data
    start, size = last.PointerToRawData, last.SizeOfRawData
    # Anything after the last section (a signature, say) would be cut with
    # it: leave such a file as it is.
    if start + size != len(data):
        return data
    used = len(data[start:].rstrip(b"\0"))
    alignment = pe.OPTIONAL_HEADER.FileAlignment
    kept = -(-used // alignment) * alignment
    if used == 0 or kept >= size:
        return data
    out = bytearray(data[:start + kept])
    struct.pack_into("<I", out, last.get_file_offset() + 16, kept)
    return bytes(out)


def finish(program):
    """The steps after linking. Started from a CD, or from a CD image shared
    over a network, Windows NT 4.0 and later copy a program marked to run
    from the swap file into it at start, so that its pages never have to be
    read back from a drive that may by then hold another disc, or from a
    share that has gone."""
    with open(program, "rb") as file:
        data = drop_zero_tail(file.read())
    pe = pefile.PE(data=data, fast_load=True)
    pe.FILE_HEADER.Characteristics |= RUN_FROM_SWAP
    data = pe.write()
    pe = pefile.PE(data=data, fast_load=True)
    pe.OPTIONAL_HEADER.CheckSum = pe.generate_checksum()
    data = pe.write()
    with open(program, "r+b") as file:
        file.write(data)
        file.truncate()


def is_program(path):
    """Whether `path` is a Windows program: "MZ", and where its header says,
    "PE"."""
    try:
        pefile.PE(path, fast_load=True)
    except (pefile.PEFormatError, OSError):
        return False
    return True


def is_signed(pe):
    """Whether the program carries an Authenticode signature: its certificate
    table (the security directory) is there."""
    table = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
    return table.VirtualAddress != 0 and table.Size != 0


def programs(folder):
    """(path from `folder`, signed) of each Windows program below it, in
    order; a link to a file counts as the file, as a disc holds it."""
    found = []
    for root, folders, files in os.walk(folder):
        folders.sort()
        for name in sorted(files):
            path = os.path.join(root, name)
            try:
                with open(path, "rb") as file:
                    if file.read(2) != b"MZ":
                        continue
                pe = pefile.PE(path, fast_load=True)
            except (pefile.PEFormatError, OSError):
                continue
            found.append((os.path.relpath(path, folder), is_signed(pe)))
            pe.close()
    return found


def _resources(pe, kind):
    """The resources of `kind`, each (id, bytes), the first language of each."""
    found = []
    for entry in getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None) and pe.DIRECTORY_ENTRY_RESOURCE.entries or []:
        if entry.id != kind:
            continue
        for named in entry.directory.entries:
            for leaf in named.directory.entries:
                data = leaf.data.struct
                found.append((named.id, pe.get_data(data.OffsetToData, data.Size)))
    return found


def _allowed_imports():
    """(DLL, function) for each line of win95_nt4_imports.txt whose function
    Windows 95 and NT 4.0 both export."""
    allowed = set()
    with open(IMPORTS, encoding="utf-8") as file:
        for line in file:
            fields = line.split("#", 1)[0].split()
            if len(fields) >= 4 and fields[2] == "95" and float(fields[3]) <= 4.0:
                allowed.add((fields[0].lower(), fields[1]))
    return allowed


def _check_headers(pe, size, machine, faults):
    """The format, subsystem and version, size, sections, and flags."""
    wanted_machine, wanted_magic = MACHINES[machine]
    if pe.FILE_HEADER.Machine != wanted_machine or pe.OPTIONAL_HEADER.Magic != wanted_magic:
        faults.append("is not an %s program" % machine)
    if pe.OPTIONAL_HEADER.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
        faults.append("is not a Windows GUI program")
    # The shipped 32-bit build asks for Windows 4.0 (95 and NT 4.0), and
    # fits in 64 KiB, in four sections: the variables at the end of the
    # linker's last, so that their zeroes are left out of the file, then the
    # edition's resources, which tools/edition/edition.py writes. 64-bit
    # Windows asks for 5.2 of a 64-bit program.
    if machine == "i386":
        version = "%d.%d" % (pe.OPTIONAL_HEADER.MajorSubsystemVersion,
                             pe.OPTIONAL_HEADER.MinorSubsystemVersion)
        if version != "4.0":
            faults.append("asks for Windows %s, not 4.0" % version)
        if size > LARGEST:
            faults.append("is larger than 64 KiB")
        layout = [_name(section) for section in pe.sections]
        if layout != SECTIONS:
            faults.append("'s sections are %s, not %s" % (" ".join(layout), " ".join(SECTIONS)))
    # Each section a whole number of file-alignment blocks, where it starts
    # and in its length, as the PE format requires.
    alignment = pe.OPTIONAL_HEADER.FileAlignment
    for section in pe.sections:
        if section.SizeOfRawData % alignment or section.PointerToRawData % alignment:
            faults.append("'s section %s is 0x%X bytes at 0x%X in the file, not whole blocks of 0x%X"
                          % (_name(section), section.SizeOfRawData, section.PointerToRawData,
                             alignment))
    if pe.OPTIONAL_HEADER.CheckSum != pe.generate_checksum():
        faults.append("'s header's checksum is 0x%X, not 0x%X"
                      % (pe.OPTIONAL_HEADER.CheckSum, pe.generate_checksum()))
    if pe.FILE_HEADER.Characteristics & RUN_FROM_SWAP != RUN_FROM_SWAP:
        faults.append("is not marked to run from the swap file on removable and network media")
    # Relocations, and marked for address space layout randomisation and
    # data execution prevention.
    relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
    if relocations.Size == 0:
        faults.append("has no relocations")
    if pe.OPTIONAL_HEADER.DllCharacteristics & DYNAMIC_BASE_NX_COMPAT != DYNAMIC_BASE_NX_COMPAT:
        faults.append("'s DllCharacteristics is 0x%X, without DYNAMIC_BASE and NX_COMPAT (0x140)"
                      % pe.OPTIONAL_HEADER.DllCharacteristics)


def _check_tail(pe, data, faults):
    """The zeroed variables at the end of .idata are not in the file
    (finish): its last block holds more than zeroes. No static constructor
    or destructor: the launcher's entry runs none, so one would silently go
    unrun. The linker closes .text with both lists, each a -1, the
    functions' addresses and a 0; empty, they are those four words alone."""
    variables = [section for section in pe.sections if _name(section) == ".idata"]
    if variables and not variables[0].get_data()[:variables[0].SizeOfRawData][-512:].strip(b"\0"):
        faults.append("'s section .idata ends in a block of zeroes")
    word = 4 if pe.FILE_HEADER.Machine == MACHINES["i386"][0] else 8
    text = [section for section in pe.sections if _name(section) == ".text"]
    lists = text[0].get_data()[:text[0].Misc_VirtualSize][-4 * word:] if text else b""
    empty = b"\xff" * word + b"\0" * word
    if lists != empty * 2:
        faults.append("has a static constructor or destructor, which nothing would run")


def _check_manifest(pe, faults):
    """Exactly one application manifest (id 1), well-formed, naming Windows
    Vista to 11 as supported, and asking to run as the player who starts
    it, with one namespace declaration on each element (Windows XP SP2
    restarts on an element that declares one twice: Microsoft's KB921337)."""
    manifests = _resources(pe, RT_MANIFEST)
    if [id for id, _ in manifests] != [1]:
        faults.append("has not exactly one application manifest, with id 1")
        return
    text = manifests[0][1].decode("utf-8")
    try:
        document = xml.dom.minidom.parseString(text)
    except Exception as error:  # pylint: disable=broad-except
        faults.append("'s manifest is not well-formed: %s" % error)
        document = None
    for id in SUPPORTED_OS:
        if '<supportedOS Id="{%s}"/>' % id not in text:
            faults.append("'s manifest does not name the supported Windows {%s}" % id)
    if document:
        levels = document.getElementsByTagName("requestedExecutionLevel")
        asked = [(level.getAttribute("level"), level.getAttribute("uiAccess")) for level in levels]
        if asked != [("asInvoker", "false")]:
            faults.append("'s manifest asks for the execution levels %s, not asInvoker alone" % asked)
        trust = [element for element in document.getElementsByTagName("trustInfo")
                 if element.parentNode is document.documentElement]
        if len(trust) != 1 or trust[0].getAttribute("xmlns") != "urn:schemas-microsoft-com:asm.v3":
            faults.append("'s manifest's trustInfo is not one element of asm.v3")
    for tag in re.findall(r"<[A-Za-z][^>]*>", text):
        if len(re.findall(r"\sxmlns(:\w+)?=", tag)) > 1:
            faults.append("'s manifest declares two namespaces on one element: %s" % tag)


def _check_icon(pe, icon, faults):
    """The first icon group, which Explorer shows, and its images, put
    together again as an ICO file: the edition's file ICON, entries and
    images in the same order. Returns the number of images."""
    groups = _resources(pe, RT_GROUP_ICON)
    if not groups:
        faults.append("has no icon")
        return 0
    images = dict(_resources(pe, RT_ICON))
    try:
        made = icons.from_group(groups[0][1], images.get)
    except icons.IconFault as fault:
        faults.append("'s icon %s" % fault)
        return 0
    with open(icon, "rb") as file:
        if made != file.read():
            faults.append("'s icon is not %s" % icon)
            return 0
    return len(icons.read(made))


def _check_imports(pe, machine, faults):
    """Windows' own DLLs alone, and in the 32-bit build only the functions
    that Windows 95 and NT 4.0 export. Returns the DLLs and the number of
    functions."""
    allowed = _allowed_imports()
    dlls = {dll for dll, _ in allowed}
    imported = getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
    functions = 0
    for entry in imported:
        dll = entry.dll.decode("latin-1")
        if dll.lower() not in dlls:
            faults.append("imports %s, which Windows does not provide" % dll)
        for function in entry.imports:
            functions += 1
            name = function.name.decode("latin-1") if function.name else "#%d" % function.ordinal
            if machine == "i386" and (dll.lower(), name) not in allowed:
                faults.append("imports %s from %s, which is not known to be in Windows 95 and NT 4.0"
                              % (name, dll.lower()))
    if not functions:
        faults.append("imports nothing that could be found")
    return [entry.dll.decode("latin-1") for entry in imported], functions


def check(program, icon, machine):
    """Every check; prints what it found and each fault. Returns whether
    there was none."""
    with open(program, "rb") as file:
        data = file.read()
    faults = []
    try:
        pe = pefile.PE(data=data)
    except pefile.PEFormatError as error:
        print("%s is not a Windows program: %s" % (program, error))
        return False
    _check_headers(pe, len(data), machine, faults)
    _check_tail(pe, data, faults)
    _check_manifest(pe, faults)
    images = _check_icon(pe, icon, faults)
    if images:
        print("icon: %s, %d images" % (icon, images))
    dlls, functions = _check_imports(pe, machine, faults)
    print("imports:", " ".join(dlls))
    if machine == "i386":
        print("%d imported functions checked against Windows 95 and NT 4.0" % functions)
    print("size: %d bytes" % len(data))
    for fault in faults:
        print("%s%s%s" % (program, "" if fault.startswith("'") else " ", fault))
    return not faults


def main():
    parser = argparse.ArgumentParser(prog="pe.py", description=__doc__.split("\n\n")[0])
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("finish").add_argument("program")
    checking = commands.add_parser("check")
    checking.add_argument("--machine", choices=sorted(MACHINES), default="i386")
    checking.add_argument("program")
    checking.add_argument("icon")
    commands.add_parser("is-program").add_argument("file")
    commands.add_parser("machine").add_argument("program")
    commands.add_parser("programs").add_argument("folder")
    arguments = parser.parse_args()
    if arguments.command == "finish":
        finish(arguments.program)
        return 0
    if arguments.command == "check":
        return 0 if check(arguments.program, arguments.icon, arguments.machine) else 1
    if arguments.command == "machine":
        machine = pefile.PE(arguments.program, fast_load=True).FILE_HEADER.Machine
        print(next((name for name, (number, _) in MACHINES.items() if number == machine), "other"))
        return 0
    if arguments.command == "programs":
        for path, signed in programs(arguments.folder):
            print("%s %s" % ("signed" if signed else "unsigned", path))
        return 0
    return 0 if is_program(arguments.file) else 1


if __name__ == "__main__":
    sys.exit(main())
