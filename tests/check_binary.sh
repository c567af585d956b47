#!/usr/bin/env bash
# Checks a built install.exe without running it:
#   check_binary.sh OBJDUMP PROGRAM FORMAT
# It must be a Windows GUI program of FORMAT (pei-i386 for the shipped
# build), marked to run from the swap file when started from a CD or over a
# network, that imports only DLLs named in win98_nt4_imports.txt, beside this
# script. A pei-i386 program may import only the functions listed there,
# which Windows 98 and NT 4.0 export. The benchmark reads its verdict too.
set -euo pipefail
objdump=$1 program=$2 format=$3
allowed=$(sed 's/#.*//' "$(dirname "$0")/win98_nt4_imports.txt" | awk 'NF {print tolower($1), $2}')
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
# Started from a CD or over a network, it must run from the swap file (set
# after linking).
for media in removable network; do
    grep -qx $'\tcopy to swap file if on '$media' media' <<<"$headers" || {
        echo "$program is not marked to run from the swap file when on $media media"
        fail=1
    }
done
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
            echo "imports $function from $dll, which is not known to be in Windows 98 and NT 4.0"
            fail=1
        }
    done <<<"$imports"
    echo "$(wc -l <<<"$imports") imported functions checked against Windows 98 and NT 4.0"
fi
echo "size: $(stat -c %s "$program") bytes"
exit $fail
