#!/usr/bin/env bash
# Builds install.exe for an edition file:
#     edition.sh EDITION_FILE [OUTPUT_FOLDER]
# into OUTPUT_FOLDER (default build/editions/NAME, NAME the file's name
# without its extension), which then holds install.exe alone of what this
# makes; the build itself is in the checkout's build/editions/NAME.build
# (with "_" for any character but letters, digits, ".", "-" and "_").
# A fault in the file stops it with the file's name, the line and what is
# wrong; so does a program that is not what the launcher must be
# (tools/lib/pe.py check: its size, its imports, its header). It previews,
# under Wine, where the window grows to fit its texts on each Windows they
# are shown on, and says which language Wine's fonts cannot preview.
# install.exe is put in place only when all is well: after a fault, an
# earlier one stays as it was. An install.exe in OUTPUT_FOLDER that this
# command did not write is refused, and left as it is. Paths are read from
# the caller's folder. Installs what is missing first, as tools/test.sh
# does.
set -euo pipefail
top=$(dirname "$(dirname "$(realpath "$0")")")
# shellcheck source=tools/made.sh
. "$top/tools/made.sh"

usage() {
    echo "usage: tools/edition.sh EDITION_FILE [OUTPUT_FOLDER]" >&2
    exit 2
}
options=$(getopt -n edition.sh -o h -l help -- "$@") || usage
eval set -- "$options"
[ "$1" = -- ] || usage
shift
[ $# -ge 1 ] && [ $# -le 2 ] || usage

edition=$(made_path "$1")
name=$(basename "$edition")
name=${name%.*}
output=$(made_path "${2:-$top/build/editions/$name}")
program=$output/install.exe
# The build's folder: tools that the build runs through a shell (windres)
# take no quote in a path.
build=$top/build/editions/$(LC_ALL=C sed 's/[^A-Za-z0-9._-]/_/g' <<<"$name").build
check=$top/tools/edition/edition.py
# Debian's Python, with Debian's Pillow, which makes the icon.
python=/usr/bin/python3

[ -f "$edition" ] || made_fail "$edition: there is no such file"
[ ! -e "$output" ] || [ -d "$output" ] || made_fail "$output: not a folder"
if [ -e "$program" ] || [ -L "$program" ]; then
    made_by_us "$program" ||
        made_fail "$program: already there, and not written by edition.sh; it is left as it is (name another folder, or move it away)"
fi
work="" session=""
finish() {
    local status=$?
    [ -z "$work" ] || rm -f -- "$work"
    [ -z "$session" ] || bash "$top/tools/wine-session.sh" stop "$session" >/dev/null 2>&1 || true
    if [ $status -ne 0 ]; then
        made_unmake
        ! made_by_us "$program" || echo "$program: the earlier install.exe is left as it was" >&2
    fi
}
trap finish EXIT

bash "$top/tools/install-deps.sh" --for edition
# Every fault of the file itself shows here, before anything is built.
"$python" "$check" --check "$edition"
# Each language's id, and each Windows its texts are measured on: a code
# page and a locale that has it.
mapfile -t languages < <("$python" "$check" --languages "$edition" | cut -d' ' -f1)
mapfile -t windows < <("$python" "$check" --measure "$edition")
locales=()
for each in "${windows[@]}"; do
    locales+=(--locale "${each#* }")
done
bash "$top/tools/install-deps.sh" --for edition "${locales[@]}"

# The shipped launcher is 32-bit; fit.exe runs as the Wine here can.
arch=$(bash "$top/tools/wine-arch.sh")
configure() {
    cmake -S "$top" -B "$1" --toolchain "$top/cmake/mingw-$2.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DLAUNCHER_TESTS=OFF -DEDITION="$edition" >/dev/null
}
configure "$build/i686" i686
cmake --build "$build/i686" --parallel "$(nproc)" --target install_exe >/dev/null
built=$build/i686/bin/install.exe
if [ "$arch" != i686 ]; then
    configure "$build/$arch" "$arch"
fi
cmake --build "$build/$arch" --parallel "$(nproc)" --target edition_fit >/dev/null

# A preview of the window as the launcher fits it to its texts when it
# runs, under Wine, on each Windows of those code pages (LC_ALL, which no
# LC_* of the caller's overrides) at 96 and at 120 dots per inch (Windows
# XP's large fonts, Windows 7 at 125 %), each in a session of its own: where
# it grows, and which language Wine's fonts cannot show. On Windows the
# launcher measures the player's own fonts, whose widths differ from Wine's.
texts=()
for id in "${languages[@]}"; do
    "$python" "$check" --texts "$edition" "$id" >"$build/texts-$id"
    # Wine shows the root of the Linux file system as Z:.
    texts+=("Z:$(tr / '\\' <<<"$build/texts-$id")")
done
for dpi in 96 120; do
    session=$build/fit-$arch-$dpi
    # With fonts of East Asian, Thai, Hebrew and Arabic letters, as their
    # Windows have.
    bash "$top/tools/wine-session.sh" start "$session" "$arch" "$dpi" scripts >/dev/null
    for each in "${windows[@]}"; do
        read -r code_page locale <<<"$each"
        status=0
        lines=$(LC_ALL=$locale bash "$top/tools/wine-run.sh" "$session" \
            "$build/$arch/bin/fit.exe" "Z:$(tr / '\\' <<<"$built")" "$code_page" "$dpi" \
            "${texts[@]}") || status=$?
        [ "$status" -eq 0 ] || made_fail "$lines"$'\n'"$edition: the window could not be previewed"
        "$python" "$check" --preview "$edition" <<<"$lines"
    done
    bash "$top/tools/wine-session.sh" stop "$session" >/dev/null
    session=""
done

# Its size: the icon's images are what a publisher can change most.
read -r icon_line icon_bytes icon_images < <("$python" "$check" --icon "$edition")
size=$(stat -c %s "$built")
if [ "$size" -gt 65536 ]; then
    where=$edition
    [ "$icon_line" = - ] || where="$edition:$icon_line: \"icon\":"
    made_fail "$where install.exe would be $size bytes, over the 65536 it may have; its icon takes $icon_bytes of them ($icon_images): give a picture of fewer colours, or shorter texts"
fi

# Held to what the shipped launcher is held to, its icon the one that
# edition.py checked and put beside the edition's names (Vexmoor's own file
# builds as the tree's launcher does).
icon=$build/i686/editions/chosen/install.ico
[ -f "$icon" ] || icon=$build/i686/editions/vexmoor/install.ico
if ! report=$(/usr/bin/python3 "$top/tools/lib/pe.py" check "$built" "$icon" 2>&1); then
    made_fail "$report"$'\n'"$built: not fit to ship (above); nothing was put in $output"
fi

made_mkdir "$output"
work=$(mktemp "$output/.install.exe.XXXXXX")
cp "$built" "$work"
chmod --reference="$built" "$work"
mv -f -- "$work" "$program"
work=""
made_note "$program"
echo "$program: $(stat -c %s "$program") bytes, its icon $icon_bytes of them ($icon_images), SHA-256 $(sha256sum <"$program" | cut -d' ' -f1)"
