#!/usr/bin/env bash
# Checks a built install.exe without running it:
#   check_binary.sh OBJDUMP PROGRAM FORMAT
# It must be a Windows GUI program of FORMAT (pei-i386 for the shipped
# build) that imports no DLL beyond Windows' own.
set -euo pipefail
objdump=$1 program=$2 format=$3
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
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
echo "imports:" $dlls
[ -n "$dlls" ] || {
    echo "no imports found"
    fail=1
}
for dll in $dlls; do
    case ${dll,,} in
    kernel32.dll | user32.dll | advapi32.dll | msvcrt.dll) ;;
    *)
        echo "imports $dll, which Windows does not provide"
        fail=1
        ;;
    esac
done
echo "size: $(stat -c %s "$program") bytes"
exit $fail
