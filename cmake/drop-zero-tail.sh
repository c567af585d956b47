#!/usr/bin/env bash
# Cuts the zero bytes at the end of a linked PE program's last section out of
# the file, in whole blocks of its file alignment:
#   drop-zero-tail.sh PROGRAM
# The section keeps its size in memory, and Windows fills what the file no
# longer holds with zeroes, as it does for every section whose size in
# memory is larger than its bytes in the file (Windows 95 on). GNU ld writes
# the zeroed variables out in full when they share a section with data, as
# install.exe's do (cmake/install.ld.in). Run before cmake/run-from-swap.sh,
# which writes the checksum. Running it again changes nothing.
set -euo pipefail
file=$1

read_u16() { od -An -t u2 -j "$1" -N 2 "$file" | tr -d ' '; }
read_u32() { od -An -t u4 -j "$1" -N 4 "$file" | tr -d ' '; }
# Writes the 4 little-endian bytes of `value` at `offset`, in place.
write_u32() {
    local offset=$1 value=$2 escapes="" i
    for ((i = 0; i < 4; i++)); do
        escapes+=$(printf '\\%03o' $(((value >> (8 * i)) & 255)))
    done
    printf "$escapes" | dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}

pe=$(read_u32 60) # e_lfanew: where "PE\0\0" stands
[ "$(od -An -c -j "$pe" -N 2 "$file" | tr -d ' ')" = PE ] || {
    echo "$file is not a PE program" >&2
    exit 1
}
sections=$(read_u16 $((pe + 6)))
optional=$((pe + 24))
table=$((optional + $(read_u16 $((pe + 20)))))
alignment=$(read_u32 $((optional + 36))) # FileAlignment, in PE32 and PE32+

# The section whose bytes come last in the file.
last=-1 last_start=0
for ((i = 0; i < sections; i++)); do
    start=$(read_u32 $((table + 40 * i + 20)))
    if [ "$start" -ge "$last_start" ]; then
        last=$i last_start=$start
    fi
done
[ "$last" -ge 0 ] || exit 0
header=$((table + 40 * last))
size=$(read_u32 $((header + 16)))
# Anything after the last section (a signature, say) would be cut with it:
# leave such a file as it is.
[ $((last_start + size)) -eq "$(stat -c %s "$file")" ] || exit 0

# Where the section's last byte that is not zero stands, from its start.
used=$(od -An -v -t u1 -j "$last_start" -N "$size" "$file" |
    awk '{ for (i = 1; i <= NF; i++) { n++; if ($i != 0) used = n } } END { print used + 0 }')
kept=$(((used + alignment - 1) / alignment * alignment))
[ "$used" -gt 0 ] && [ "$kept" -lt "$size" ] || exit 0
write_u32 $((header + 16)) "$kept"
truncate -s $((last_start + kept)) "$file"
