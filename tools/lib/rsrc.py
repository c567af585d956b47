"""A program's resources, written as its last section: the resource
directory of the PE format (Microsoft's "PE Format", "The .rsrc Section"),
three levels deep (type, name, language), laid out here and put in place of
the program's own .rsrc section, or after its last section when it has
none."""

import struct

import pefile

RT_ICON, RT_DIALOG, RT_RCDATA, RT_VERSION, RT_GROUP_ICON, RT_MANIFEST = 3, 5, 10, 16, 14, 24
SECTION = b".rsrc"
# Initialised data, read-only.
SECTION_FLAGS = 0x00000040 | 0x40000000
SECTION_HEADER = 40


class ResourceFault(Exception):
    """A program the resources cannot be written into."""


def _key(name):
    """Named entries come first, in the order of their names in capitals,
    then those with ids, in the order of their ids: Windows looks them up
    by a binary search."""
    return (0, name.upper(), 0) if isinstance(name, str) else (1, "", name)


def _tree(resources):
    """{type: {name: {language: data}}} of (type, name, language, data)."""
    tree = {}
    for kind, name, language, data in resources:
        names = tree.setdefault(kind, {})
        languages = names.setdefault(name, {})
        if language in languages:
            raise ResourceFault("two resources %r %r of language %04X" % (kind, name, language))
        languages[language] = data
    return tree


def section(resources, address):
    """The bytes of a resource section at the relative virtual address
    `address`: every directory first, then the data entries, the names, and
    each resource's data on an 8-byte boundary."""
    tree = _tree(resources)
    # Each directory as its entries (name, child), its place in the order
    # laid out: the root, the types', then the names'.
    directories = [sorted(tree.items(), key=lambda item: _key(item[0]))]
    for _, names in directories[0]:
        directories.append(sorted(names.items(), key=lambda item: _key(item[0])))
    for names in directories[1:]:
        for _, languages in names:
            directories.append(sorted(languages.items()))
    size = sum(16 + 8 * len(entries) for entries in directories)
    leaves = [data for entries in directories[1 + len(tree):] for _, data in entries]
    entries_at = size
    size += 16 * len(leaves)
    strings = {}
    for entries in directories:
        for name, _ in entries:
            if isinstance(name, str) and name not in strings:
                strings[name] = size
                size += 2 + len(name.encode("utf-16-le"))
    data_at = []
    for data in leaves:
        size = -(-size // 8) * 8
        data_at.append(size)
        size += len(data)
    out = bytearray(size)
    # The directories, each child's place after its own.
    place, child, leaf = 0, 1, 0
    for level, entries in enumerate(directories):
        named = sum(1 for name, _ in entries if isinstance(name, str))
        struct.pack_into("<IIHHHH", out, place, 0, 0, 0, 0, named, len(entries) - named)
        place += 16
        for name, _ in entries:
            field = 0x80000000 | strings[name] if isinstance(name, str) else name
            if level < 1 + len(tree):
                target = 0x80000000 | sum(16 + 8 * len(each) for each in directories[:child])
                child += 1
            else:
                target = entries_at + 16 * leaf
                leaf += 1
            struct.pack_into("<II", out, place, field, target)
            place += 8
    for index, data in enumerate(leaves):
        struct.pack_into("<IIII", out, entries_at + 16 * index, address + data_at[index],
                         len(data), 0, 0)
        out[data_at[index]:data_at[index] + len(data)] = data
    for name, at in strings.items():
        encoded = name.encode("utf-16-le")
        struct.pack_into("<H", out, at, len(encoded) // 2)
        out[at + 2:at + 2 + len(encoded)] = encoded
    return bytes(out)


def _align(value, alignment):
    return -(-value // alignment) * alignment


def _grow_headers(data, pe):
    """`data` with its headers a block of its file alignment longer, where
    the table of sections has no room for one more: the sections' bytes move
    up by as much. A linker makes the headers no longer than its own
    sections need."""
    grow = pe.OPTIONAL_HEADER.FileAlignment
    end = pe.OPTIONAL_HEADER.SizeOfHeaders
    if end + grow > min(section.VirtualAddress for section in pe.sections):
        raise ResourceFault("has no room in its header for one more section")
    for section in pe.sections:
        if section.PointerToRawData:
            section.PointerToRawData += grow
    pe.OPTIONAL_HEADER.SizeOfHeaders = end + grow
    headers = bytes(pe.write())[:end]
    return bytearray(headers + bytes(grow) + bytes(data[end:]))


def replace(data, resources):
    """The program `data` with `resources` as its resource section: its own
    .rsrc section, which must be its last, is dropped, and the new one put
    after the last that remains. The header's sizes, its resource directory
    and its checksum follow."""
    pe = pefile.PE(data=data, fast_load=True)
    security = pe.OPTIONAL_HEADER.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]]
    if security.Size:
        raise ResourceFault("is signed: write its resources before it is signed")
    sections = list(pe.sections)
    table = pe.sections[0].get_file_offset() if sections else None
    out = bytearray(data)
    initialised = pe.OPTIONAL_HEADER.SizeOfInitializedData
    if sections and sections[-1].Name.rstrip(b"\0") == SECTION:
        old = sections.pop()
        if old.PointerToRawData + old.SizeOfRawData != len(data):
            raise ResourceFault("has data after its resource section")
        del out[old.PointerToRawData:]
        out[old.get_file_offset():old.get_file_offset() + SECTION_HEADER] = bytes(SECTION_HEADER)
        initialised -= old.SizeOfRawData
    elif any(section.Name.rstrip(b"\0") == SECTION for section in sections):
        raise ResourceFault("has its resource section before others: it cannot be replaced")
    if not sections:
        raise ResourceFault("has no section")
    last = sections[-1]
    if last.PointerToRawData + last.SizeOfRawData != len(out):
        raise ResourceFault("has data after its last section")
    header_at = table + SECTION_HEADER * len(sections)
    if header_at + SECTION_HEADER > pe.OPTIONAL_HEADER.SizeOfHeaders:
        out = _grow_headers(out, pe)
        pe = pefile.PE(data=bytes(out), fast_load=True)
        sections = list(pe.sections)[:len(sections)]
        last = sections[-1]
    optional = pe.OPTIONAL_HEADER
    address = _align(last.VirtualAddress + max(last.Misc_VirtualSize, last.SizeOfRawData),
                     optional.SectionAlignment)
    body = section(resources, address)
    raw = body + bytes(_align(len(body), optional.FileAlignment) - len(body))
    out[header_at:header_at + SECTION_HEADER] = struct.pack(
        "<8sIIIIIIHHI", SECTION, len(body), address, len(raw), len(out), 0, 0, 0, 0, SECTION_FLAGS)
    out += raw
    pe = pefile.PE(data=bytes(out), fast_load=True)
    pe.FILE_HEADER.NumberOfSections = len(sections) + 1
    pe.OPTIONAL_HEADER.SizeOfImage = _align(address + len(body), optional.SectionAlignment)
    pe.OPTIONAL_HEADER.SizeOfInitializedData = initialised + len(raw)
    directory = pe.OPTIONAL_HEADER.DATA_DIRECTORY[
        pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]]
    directory.VirtualAddress, directory.Size = address, len(body)
    out = bytes(pe.write())
    pe = pefile.PE(data=out, fast_load=True)
    pe.OPTIONAL_HEADER.CheckSum = pe.generate_checksum()
    return bytes(pe.write())
