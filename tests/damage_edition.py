"""Writes a copy of an install.exe whose edition's data the edition writer
would never make: one language more than the launcher takes (base/ids.h,
LANGUAGE_MAX), each a good copy of the first, every place within the data.

    damage_edition.py INSTALL_EXE OUTPUT
"""
import os
import struct
import sys

import pefile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "lib"))
sys.path.insert(0, os.path.join(HERE, "..", "tools", "edition"))
import edition  # noqa: E402  (base/ids.h as the edition writer reads it)
import rsrc  # noqa: E402


def too_many(data):
    """The data with LANGUAGE_MAX + 1 rows, each the first's, and the places
    moved by the rows added."""
    count, width = struct.unpack_from("<H", data)[0], edition.LANGUAGE_ROW_WORDS
    names = list(struct.unpack_from("<%dH" % len(edition.NAMES), data, 2))
    rows_at = 2 + 2 * len(names)
    first = list(struct.unpack_from("<%dH" % width, data, rows_at))
    wanted = edition.LANGUAGE_MAX + 1
    moved = 2 * width * (wanted - count)
    rest = data[rows_at + 2 * width * count:]
    first[4:] = [place + moved for place in first[4:]]
    return (struct.pack("<H", wanted) + struct.pack("<%dH" % len(names),
                                                    *[place + moved for place in names])
            + struct.pack("<%dH" % width, *first) * wanted + rest)


def main(program, output):
    pe = pefile.PE(program)
    resources = []
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for named in kind.directory.entries:
            for leaf in named.directory.entries:
                entry = leaf.data.struct
                data = pe.get_data(entry.OffsetToData, entry.Size)
                name = str(named.name) if named.name is not None else named.id
                if kind.id == rsrc.RT_RCDATA and name == edition.EDITION_RESOURCE:
                    data = too_many(data)
                resources.append((kind.id, name, leaf.id, data))
    data = rsrc.replace(pe.__data__[:], resources)
    with open(output, "wb") as file:
        file.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
