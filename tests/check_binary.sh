#!/usr/bin/env bash
# Checks a built install.exe without running it:
#   check_binary.sh OBJDUMP PROGRAM FORMAT ICON
# It must be a Windows GUI program of FORMAT (pei-i386 for the shipped
# build, which must also ask for Windows 4.0, be at most 32 KiB and have
# four sections), every section a whole number of file-alignment blocks,
# with its header's checksum, its relocations, and marked for address
# space layout randomisation and data execution prevention; that does not
# end in a block of zeroes, marked to run from the swap file when started
# from a CD or over a network, with its application manifest (asking to run
# as the player) and no static constructor, that imports only DLLs named in
# win95_nt4_imports.txt, beside this script. A pei-i386 program may import
# only the functions listed there as exported by Windows 95 and NT 4.0. Its
# first icon, which Explorer shows, must be the edition's file ICON, image
# for image. The benchmark reads its verdict too.
set -euo pipefail
objdump=$1 program=$2 format=$3 icon=$4
allowed=$(sed 's/#.*//' "$(dirname "$0")/win95_nt4_imports.txt" |
    awk 'NF && $3 == "95" && $4 + 0 <= 4.0 {print tolower($1), $2}')
headers=$("$objdump" -p "$program")
fail=0

grep -q "file format $format\$" <<<"$headers" || {
    echo "$program is not $format"
    fail=1
}
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$headers" || {
    echo "$program is not a Windows GUI program"
    fail=1
}
# The shipped 32-bit build asks for Windows 4.0 (95 and NT 4.0), and fits
# in 32 KiB. 64-bit Windows asks for 5.2 of a 64-bit program.
if [ "$format" = pei-i386 ]; then
    version=$(awk '/^MajorSubsystemVersion/ {major = $2} /^MinorSubsystemVersion/ {minor = $2}
        END {print major "." minor}' <<<"$headers")
    [ "$version" = 4.0 ] || {
        echo "$program asks for Windows $version, not 4.0"
        fail=1
    }
    [ "$(stat -c %s "$program")" -le 32768 ] || {
        echo "$program is larger than 32 KiB"
        fail=1
    }
    # Four sections (cmake/install.ld.in), the variables last, so that
    # their zeroes are left out of the file.
    layout=$("$objdump" -h "$program" | awk '/^ *[0-9]+ /{printf " %s", $2}')
    [ "$layout" = " .text .rsrc .reloc .idata" ] || {
        echo "$program's sections are$layout, not .text .rsrc .reloc .idata"
        fail=1
    }
fi
# The zeroed variables at the end are not in the file
# (cmake/drop-zero-tail.sh): its last block holds more than zeroes.
[ -n "$(tail -c 512 "$program" | tr -d '\0')" ] || {
    echo "$program ends in a block of zeroes"
    fail=1
}
# Started from a CD or over a network, it must run from the swap file (set
# after linking).
for media in removable network; do
    grep -qx $'\tcopy to swap file if on '$media' media' <<<"$headers" || {
        echo "$program is not marked to run from the swap file when on $media media"
        fail=1
    }
done
# No static constructor or destructor: the launcher's entry runs none, so
# one would silently go unrun. The linker closes .text with both lists,
# each a -1, the functions' addresses and a 0; empty, they are those four
# words alone.
[ "$format" = pei-i386 ] && word=4 || word=8
text=$(mktemp)
"${objdump%objdump}objcopy" -O binary --only-section=.text "$program" "$text"
lists=$(tail -c $((4 * word)) "$text" | od -An -v -tx1 | tr -d ' \n')
rm -f "$text"
empty=$(printf 'ff%.0s' $(seq $word); printf '00%.0s' $(seq $word))
[ "$lists" = "$empty$empty" ] || {
    echo "$program has a static constructor or destructor, which nothing would run"
    fail=1
}
# Read with Debian's pefile: each section a whole number of file-alignment
# blocks, where it starts and in its length, as the PE format requires; the
# header's checksum, which run-from-swap.sh writes; relocations, and
# DllCharacteristics with DYNAMIC_BASE (0x40) and NX_COMPAT (0x100). And the
# application manifest: exactly one (type 24, id 1), well-formed, naming
# Windows Vista, 7, 8, 8.1 and 10/11 as supported, and asking to run as the
# player who starts it, with one namespace declaration on each element
# (Windows XP SP2 restarts on an element that declares one twice:
# Microsoft's KB921337).
/usr/bin/python3 - "$program" <<'PE' || fail=1
import re, sys, xml.dom.minidom
import pefile
program = sys.argv[1]
pe = pefile.PE(program)
faults = []
alignment = pe.OPTIONAL_HEADER.FileAlignment
for section in pe.sections:
    name = section.Name.rstrip(b"\0").decode()
    if section.SizeOfRawData % alignment or section.PointerToRawData % alignment:
        faults.append("section %s is 0x%X bytes at 0x%X in the file, not whole blocks of 0x%X"
                      % (name, section.SizeOfRawData, section.PointerToRawData, alignment))
if pe.OPTIONAL_HEADER.CheckSum != pe.generate_checksum():
    faults.append("the header's checksum is 0x%X, not 0x%X"
                  % (pe.OPTIONAL_HEADER.CheckSum, pe.generate_checksum()))
relocations = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_BASERELOC"]]
if relocations.Size == 0:
    faults.append("has no relocations")
if pe.OPTIONAL_HEADER.DllCharacteristics & 0x140 != 0x140:
    faults.append("DllCharacteristics is 0x%X, without DYNAMIC_BASE and NX_COMPAT (0x140)"
                  % pe.OPTIONAL_HEADER.DllCharacteristics)
manifests = []
resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
for kind in resources.entries if resources else []:
    if kind.id == 24:
        for entry in kind.directory.entries:
            manifests += [(entry.id, leaf) for leaf in entry.directory.entries]
if [id for id, _ in manifests] != [1]:
    faults.append("has not exactly one application manifest, with id 1")
else:
    data = manifests[0][1].data.struct
    text = pe.get_data(data.OffsetToData, data.Size).decode("utf-8")
    try:
        document = xml.dom.minidom.parseString(text)
    except Exception as error:
        faults.append("its manifest is not well-formed: %s" % error)
        document = None
    for id in ("e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
               "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
               "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"):
        if '<supportedOS Id="{%s}"/>' % id not in text:
            faults.append("its manifest does not name the supported Windows {%s}" % id)
    if document:
        levels = document.getElementsByTagName("requestedExecutionLevel")
        asked = [(level.getAttribute("level"), level.getAttribute("uiAccess")) for level in levels]
        if asked != [("asInvoker", "false")]:
            faults.append("its manifest asks for the execution levels %s, not asInvoker alone" % asked)
        trust = [element for element in document.getElementsByTagName("trustInfo")
                 if element.parentNode is document.documentElement]
        if len(trust) != 1 or trust[0].namespaceURI not in (None, "urn:schemas-microsoft-com:asm.v3") \
                or trust[0].getAttribute("xmlns") != "urn:schemas-microsoft-com:asm.v3":
            faults.append("its manifest's trustInfo is not one element of asm.v3")
    for tag in re.findall(r"<[A-Za-z][^>]*>", text):
        if len(re.findall(r"\sxmlns(:\w+)?=", tag)) > 1:
            faults.append("its manifest declares two namespaces on one element: %s" % tag)
for fault in faults:
    print("%s %s" % (program, fault))
sys.exit(1 if faults else 0)
PE
# The first icon group and its images, put together again as an ICO file:
# the same bytes as the edition's, entries and images in the same order.
python3 - "$program" "$icon" <<'ICON' || fail=1
import struct, sys
program, icon = sys.argv[1:]
data = open(program, "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
sections, optional = struct.unpack_from("<H12xH", data, pe + 6)
for index in range(sections):
    name, size, rva, raw_size, raw = struct.unpack_from("<8sIIII", data, pe + 24 + optional + 40 * index)
    if name.rstrip(b"\0") == b".rsrc":
        break
else:
    sys.exit("%s has no resources" % program)
def entries(offset):
    named, ids = struct.unpack_from("<12xHH", data, raw + offset)
    return [struct.unpack_from("<II", data, raw + offset + 16 + 8 * i) for i in range(named + ids)]
def first_leaf(offset):
    while offset & 0x80000000:
        offset = entries(offset & 0x7FFFFFFF)[0][1]
    address, length = struct.unpack_from("<II", data, raw + offset)
    return data[raw + address - rva:raw + address - rva + length]
def resource(kind, id=None):
    for name, offset in entries(0):
        if name == kind:
            for child, leaf in entries(offset & 0x7FFFFFFF):
                if id is None or child == id:
                    return first_leaf(leaf)
group = resource(14)
if group is None:
    sys.exit("%s has no icon" % program)
count = struct.unpack_from("<H", group, 4)[0]
images, header = [], group[:6]
offset = 6 + 16 * count
for index in range(count):
    fields = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * index)
    image = resource(3, fields[7])
    header += struct.pack("<BBBBHHII", *fields[:6], len(image), offset)
    offset += len(image)
    images.append(image)
if header + b"".join(images) != open(icon, "rb").read():
    sys.exit("%s's icon is not %s" % (program, icon))
print("icon: %s, %d images" % (icon, count))
ICON
# "DLL function" for each import, read from objdump's import tables.
imports=$(awk '/^\tDLL Name: /{dll = tolower($3); next} /^$/{dll = ""}
    dll && /^\t[0-9a-f]+\t/ {print dll, $3}' <<<"$headers")
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
echo "imports:" $dlls
[ -n "$dlls" ] && [ -n "$imports" ] || {
    echo "no imports found"
    fail=1
}
for dll in $dlls; do
    cut -d' ' -f1 <<<"$allowed" | grep -qxF "${dll,,}" || {
        echo "imports $dll, which Windows does not provide"
        fail=1
    }
done
if [ "$format" = pei-i386 ]; then
    while read -r dll function; do
        grep -qxF "$dll $function" <<<"$allowed" || {
            echo "imports $function from $dll, which is not known to be in Windows 95 and NT 4.0"
            fail=1
        }
    done <<<"$imports"
    echo "$(wc -l <<<"$imports") imported functions checked against Windows 95 and NT 4.0"
fi
echo "size: $(stat -c %s "$program") bytes"
exit $fail
