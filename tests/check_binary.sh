#!/usr/bin/env bash
# Checks a built install.exe without running it:
#   check_binary.sh OBJDUMP PROGRAM FORMAT ICON
# It must be a Windows GUI program of FORMAT (pei-i386 for the shipped
# build, which must also ask for Windows 4.0, be at most 32 KiB and have
# three sections), that does not end in a block of zeroes, marked to run
# from the swap file when started from a CD or over a network, with its
# application manifest and no static constructor, that imports only
# DLLs named in win95_nt4_imports.txt, beside this script. A pei-i386
# program may import only the functions listed there as exported by Windows
# 95 and NT 4.0. Its first icon, which Explorer shows, must be the edition's
# file ICON, image for image. The benchmark reads its verdict too.
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
    # Three sections (cmake/install.ld.in), so that the headers take one
    # block of the file; with a fourth, or the linker's own five, two.
    layout=$("$objdump" -h "$program" | awk '/^ *[0-9]+ /{printf " %s", $2}')
    [ "$layout" = " .text .rsrc .idata" ] || {
        echo "$program's sections are$layout, not .text .rsrc .idata"
        fail=1
    }
    grep -qE '^SizeOfHeaders[[:space:]]+00000200$' <<<"$headers" || {
        echo "$program's headers take more than one block of 512 bytes"
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
# The application manifest: exactly one (type 24, id 1), well-formed, naming
# Windows Vista, 7, 8, 8.1 and 10/11 as supported, and asking for no
# execution level. Read from the resource directory that objdump prints.
manifests=$(awk '/^[0-9a-f]+   Entry: /{ours = / ID: 0x000018,/} ours' <<<"$headers")
manifest_leaves=$(grep 'Leaf: ' <<<"$manifests" || true)
if [ "$(wc -l <<<"$manifest_leaves")" -ne 1 ] || [ -z "$manifest_leaves" ] ||
    ! grep -qE '^[0-9a-f]+     Entry: ID: 0x000001,' <<<"$manifests"; then
    echo "$program has not exactly one application manifest, with id 1"
    fail=1
else
    rsrc_rva=$(awk '/Resource Directory \[/{print $3}' <<<"$headers")
    read -r addr size < <(sed -E 's/.*Addr: 0x([0-9a-f]+), Size: 0x([0-9a-f]+),.*/\1 \2/' <<<"$manifest_leaves")
    rsrc=$(mktemp)
    "${objdump%objdump}objcopy" -O binary --only-section=.rsrc "$program" "$rsrc"
    manifest=$(dd if="$rsrc" bs=1 skip=$((0x$addr - 0x$rsrc_rva)) count=$((0x$size)) status=none)
    rm -f "$rsrc"
    xmllint --noout - <<<"$manifest" || {
        echo "$program's manifest is not well-formed"
        fail=1
    }
    for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
        4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
        8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
        grep -q "<supportedOS Id=\"{$id}\"/>" <<<"$manifest" || {
            echo "$program's manifest does not name the supported Windows {$id}"
            fail=1
        }
    done
    ! grep -q requestedExecutionLevel <<<"$manifest" || {
        echo "$program's manifest asks for an execution level"
        fail=1
    }
fi
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
