#!/usr/bin/env bash
# Builds the demo CD's setup.exe from setup.nsi with NSIS's makensis:
#   make-setup.sh TARGET OUTPUT SETSOUND_EXE VEXDEMO_EXE
# TARGET is x86-ansi for the 32-bit CD, amd64-unicode for the 64-bit road.
# The batch files come from this folder. Every file goes in dated
# SOURCE_DATE_EPOCH (tools/demo.sh --iso sets the last commit's date; else
# 2000-01-01): makensis keeps each file's time, and the same files must
# give the same setup.exe in every build.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
target=$1 output=$2 setsound=$3 game=$4

command -v makensis >/dev/null || {
    echo "makensis is missing: bash tools/install-deps.sh installs it (Debian's nsis)" >&2
    exit 1
}
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
cp "$setsound" "$files/Setsound.exe"
cp "$game" "$files/VEXDEMO.EXE"
cp "$here/vexmoor.bat" "$here/REPLAY.BAT" "$files/"
touch -d "@${SOURCE_DATE_EPOCH:-946684800}" "$files"/*
makensis -V2 -NOCD "-DTARGET=$target" "-DGAME=$files" "-DOUTFILE=$output" "$here/setup.nsi"
