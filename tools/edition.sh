#!/usr/bin/env bash
# Builds install.exe for an edition file:
#     edition.sh EDITION_FILE [OUTPUT_FOLDER]
# into OUTPUT_FOLDER (default build/editions/NAME, NAME the file's name
# without its extension), which then holds install.exe alone of what this
# makes; the build itself is in build/editions/NAME.build. A fault in the
# file, or a text too wide for its place in the window, stops it with the
# file's name, the line and what is wrong, and leaves no install.exe.
# Installs what is missing first, as tools/test.sh does.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: tools/edition.sh EDITION_FILE [OUTPUT_FOLDER]" >&2
    exit 2
fi
edition=$(realpath "$1")
name=$(basename "$edition")
name=${name%.*}
cd "$(dirname "$0")/.."
output=$(realpath -m "${2:-build/editions/$name}")
build=build/editions/$name.build
check=tools/edition/edition.py

rm -f "$output/install.exe"
bash tools/install-deps.sh
# Every fault of the file itself shows here, before anything is built.
python3 "$check" --check "$edition"
locale=$(python3 "$check" --locale "$edition")
bash tools/install-deps.sh --locale "$locale"

# The shipped launcher is 32-bit; fit.exe runs as the Wine here can.
arch=$(bash tools/wine-arch.sh)
configure() {
    cmake -S . -B "$1" --toolchain "cmake/mingw-$2.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DLAUNCHER_TESTS=OFF -DEDITION="$edition" >/dev/null
}
configure "$build/i686" i686
cmake --build "$build/i686" --parallel "$(nproc)" --target install_exe >/dev/null
program=$build/i686/bin/install.exe
if [ "$arch" != i686 ]; then
    configure "$build/$arch" "$arch"
fi
cmake --build "$build/$arch" --parallel "$(nproc)" --target edition_fit >/dev/null

# The texts measured as Wine draws them, in the edition's code page.
session=$build/fit-$arch
bash tools/wine-session.sh start "$session" "$arch" >/dev/null
status=0
# Wine shows the root of the Linux file system as Z:.
windows_path=Z:$(realpath "$program" | tr / '\\')
faults=$(LANG=$locale bash tools/wine-run.sh "$session" "$build/$arch/bin/fit.exe" "$windows_path") ||
    status=$?
bash tools/wine-session.sh stop "$session" >/dev/null
if [ $status -ne 0 ]; then
    [ $status -eq 1 ] || { echo "$faults" >&2; echo "$edition: the window could not be measured" >&2; exit 1; }
    while IFS=: read -r setting measure; do
        line=$(grep -nE "^[[:space:]]*$setting[[:space:]]*=" "$edition" | cut -d: -f1)
        # The caption may be left out: then it is the product's name.
        [ -n "$line" ] || line=$(grep -nE "^[[:space:]]*key_product[[:space:]]*=" "$edition" | cut -d: -f1)
        echo "$edition:$line: \"$setting\" does not fit its place in the window:$measure" >&2
    done <<<"$faults"
    exit 1
fi

mkdir -p "$output"
cp "$program" "$output/install.exe"
echo "$output/install.exe: $(stat -c %s "$output/install.exe") bytes, SHA-256 $(sha256sum "$output/install.exe" | cut -d' ' -f1)"
