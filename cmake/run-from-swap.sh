#!/usr/bin/env bash
# Marks a linked PE program IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP (0x0400 in the
# file header's Characteristics) and IMAGE_FILE_NET_RUN_FROM_SWAP (0x0800),
# which GNU ld cannot set, and writes the header's CheckSum anew:
#   run-from-swap.sh PROGRAM
# Windows NT 4.0 and later then copy a program started from a CD, or from a
# CD image shared over a network, into the swap file at start, so that its
# pages never have to be read back from a drive that may by then hold
# another disc, or from a share that has gone. Setting the bits again
# changes nothing, and the same program always gives the same bytes.
set -euo pipefail
file=$1

read_u16() { od -An -t u2 -j "$1" -N 2 "$file" | tr -d ' '; }
read_u32() { od -An -t u4 -j "$1" -N 4 "$file" | tr -d ' '; }
# Writes `bytes` little-endian bytes of `value` at `offset`, in place.
write_le() {
    local offset=$1 value=$2 bytes=$3 escapes="" i
    for ((i = 0; i < bytes; i++)); do
        escapes+=$(printf '\\%03o' $(((value >> (8 * i)) & 255)))
    done
    printf "$escapes" | dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}

removable_run_from_swap=0x0400
net_run_from_swap=0x0800
pe=$(read_u32 60) # e_lfanew: where "PE\0\0" stands
characteristics=$((pe + 4 + 18))
# The optional header follows the 20-byte file header; its CheckSum is at
# offset 64 in PE32 and PE32+ alike.
checksum=$((pe + 4 + 20 + 64))
[ "$(od -An -c -j "$pe" -N 2 "$file" | tr -d ' ')" = PE ] || {
    echo "$file is not a PE program" >&2
    exit 1
}

write_le "$characteristics" $(($(read_u16 "$characteristics") | removable_run_from_swap | net_run_from_swap)) 2

# The PE checksum: the file's 16-bit words, the CheckSum field left out,
# added with the carries folded back in, plus the file's length. (od reads
# the words in the build machine's order, little-endian as on x86.)
sum=$(od -An -v -t u2 "$file" | awk -v skip=$((checksum / 2)) '
    { for (i = 1; i <= NF; i++) {
        if (word != skip && word != skip + 1) {
            sum += $i
            sum = sum % 65536 + int(sum / 65536)
        }
        word++
    } }
    END { print sum }')
write_le "$checksum" $((sum + $(stat -c %s "$file"))) 4
