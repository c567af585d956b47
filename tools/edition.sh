#!/usr/bin/env bash
# Writes install.exe for an edition file:
#     edition.sh [--preview] [--launcher LAUNCHER] EDITION_FILE [OUTPUT_FOLDER]
# into OUTPUT_FOLDER (default build/editions/NAME, NAME the file's name
# without its extension), which then holds install.exe alone of what this
# makes: the prebuilt launcher (tools/edition/launcher.exe, or LAUNCHER, or
# the environment's EDITION_LAUNCHER)
# with the edition's names, texts, languages, programs, window, icon,
# version and manifest written into its resources. Python with pefile and
# Pillow is all it needs: no compiler and no Wine.
# A fault in the file stops it with the file's name, the line and what is
# wrong; so does a program that is not what the launcher must be
# (tools/lib/pe.py check: its size, its imports, its header). With
# --preview, it then previews under Wine where the window grows to fit its
# texts on each Windows they are shown on, and says which language Wine's
# fonts cannot preview; that needs Wine, and MinGW-w64 and CMake to build
# the previewer (build/ARCH/bin/fit.exe) unless EDITION_FIT names one.
# install.exe is put in place only when all is well: after a fault, an
# earlier one stays as it was. An install.exe in OUTPUT_FOLDER that this
# command did not write is refused, and left as it is. Paths are read from
# the caller's folder. Installs what is missing first.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
# shellcheck source=tools/made.sh
. "$top/tools/made.sh"

usage() {
    echo "usage: tools/edition.sh [--preview] [--launcher LAUNCHER] EDITION_FILE [OUTPUT_FOLDER]" >&2
    exit 2
}
options=$(getopt -n edition.sh -o h -l help,preview,launcher: -- "$@") || usage
eval set -- "$options"
preview=0 launcher=${EDITION_LAUNCHER:-$top/tools/edition/launcher.exe}
while [ "$1" != -- ]; do
    case $1 in
    --preview) preview=1 ;;
    --launcher)
        launcher=$(made_path "$2")
        shift
        ;;
    *) usage ;;
    esac
    shift
done
shift
[ $# -ge 1 ] && [ $# -le 2 ] || usage

edition=$(made_path "$1")
name=$(basename "$edition")
name=${name%.*}
output=$(made_path "${2:-$top/build/editions/$name}")
program=$output/install.exe
check=$top/tools/edition/edition.py
# Debian's Python, with Debian's pefile and Pillow; elsewhere (Python for
# Windows, say) the first python3 on the path.
python=/usr/bin/python3
[ -x "$python" ] || python=python3

[ -f "$edition" ] || made_fail "$edition: there is no such file"
[ -f "$launcher" ] || made_fail "$launcher: there is no such file (the prebuilt launcher)"
[ ! -e "$output" ] || [ -d "$output" ] || made_fail "$output: not a folder"
if [ -e "$program" ] || [ -L "$program" ]; then
    made_by_us "$program" ||
        made_fail "$program: already there, and not written by edition.sh; it is left as it is (name another folder, or move it away)"
fi
work="" session="" scratch=""
finish() {
    local status=$?
    [ -z "$work" ] || rm -f -- "$work"
    [ -z "$scratch" ] || rm -rf -- "$scratch"
    [ -z "$session" ] || bash "$top/tools/wine-session.sh" stop "$session" >/dev/null 2>&1 || true
    if [ $status -ne 0 ]; then
        made_unmake
        ! made_by_us "$program" || echo "$program: the earlier install.exe is left as it was" >&2
    fi
}
trap finish EXIT

bash "$top/tools/install-deps.sh" --for edition
# Written in a folder of its own first: every fault of the file shows
# before anything is put in OUTPUT_FOLDER.
scratch=$(mktemp -d -t vexmoor-edition.XXXXXX)
written=$scratch/install.exe icon=$scratch/install.ico
"$python" "$check" --write "$edition" "$launcher" "$written"
"$python" "$check" --ico "$edition" "$icon"

read -r _ icon_bytes icon_images < <("$python" "$check" --icon "$edition")
# Held to what the shipped launcher is held to, its icon the edition's (a
# test's launcher may be the build's for 64-bit Wine).
machine=$("$python" "$top/tools/lib/pe.py" machine "$launcher")
if ! report=$("$python" "$top/tools/lib/pe.py" check --machine "$machine" "$written" "$icon" 2>&1); then
    made_fail "$report"$'\n'"$edition: the install.exe written is not fit to ship (above); nothing was put in $output"
fi
[ $preview -eq 0 ] || . "$top/tools/edition/preview.sh"

made_mkdir "$output"
work=$(mktemp "$output/.install.exe.XXXXXX")
cp "$written" "$work"
chmod 755 "$work"
mv -f -- "$work" "$program"
work=""
made_note "$program"
echo "$program: $(stat -c %s "$program") bytes, its icon $icon_bytes of them ($icon_images), SHA-256 $(sha256sum <"$program" | cut -d' ' -f1)"
