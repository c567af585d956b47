#!/usr/bin/env bash
# Measures install.exe and prints a table: how fast its window appears next
# to a program that only shows the same dialog, how much processor time it
# takes while a game runs, how soon it ends after the game, its size and the
# DLLs it imports. Installs what is missing and builds first. Not part of
# the tests: the figures depend on the machine. The builds are in
# build/ARCH; the benchmark's own Wine prefix is in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
arch=$(bash tools/wine-arch.sh)
session=build/bench
shipped=build/i686/bin/install.exe

bash tools/build.sh i686 launcher install_exe install_europe
bash tools/build.sh "$arch" install_exe bench bench_mindialog bench_mindialog_bare
[ "$arch" = i686 ] || echo "Timings are of the $arch build (this machine cannot run 32-bit x86 code); size and imports are of the shipped 32-bit build."

bash tools/wine-session.sh start "$session" "$arch"
trap 'bash tools/wine-session.sh stop "$session"' EXIT
cp "build/$arch/bin/install.exe" "build/$arch/bench/mindialog.exe" "build/$arch/bench/mindialog_bare.exe" \
    "$session/wine/cd/"
rows=$(bash tools/wine-run.sh "$session" "$(realpath "build/$arch/bench/bench.exe")" | tr -d '\r')

size=$(stat -c %s "$shipped")
# The tests' own check and its list: Windows' DLLs only, and only functions
# that Windows 95 and NT 4.0 export.
if check=$(/usr/bin/python3 tools/lib/pe.py check "$shipped" editions/vexmoor.ico); then
    imports=met
else
    imports="NOT MET"
fi
dlls=$(sed -n 's/^imports: //p' <<<"$check" | tr ' ' '\n' | sort -f | paste -sd ' ')
functions=$(sed -n 's/^\([0-9]*\) imported functions.*/\1/p' <<<"$check")
verdict() { if [ "$1" -le "$2" ]; then echo met; else echo "NOT MET"; fi; }
rows+=$'\n'"install.exe's size|shipped 32-bit build, stripped|$size bytes ($(awk "BEGIN {printf \"%.1f\", $size / 1024}") KiB)|<= 64 KiB|$(verdict "$size" 65536)"
# The launcher itself, which each edition's resources are written into:
# without them (no icon, texts, window, version or manifest).
own=$(stat -c %s build/i686/bin/launcher.exe)
rows+=$'\n'"the launcher itself|build/i686/bin/launcher.exe, as tools/edition/launcher.exe: the same without the edition's resources|$own bytes ($(awk "BEGIN {printf \"%.1f\", $own / 1024}") KiB)|<= 16 KiB|$(verdict "$own" 16384)"
# The European disc's launcher: five languages' texts and version blocks.
europe=$(stat -c %s build/i686/bin/europe/install.exe)
rows+=$'\n'"install.exe of five languages|editions/europe.edition, shipped 32-bit build, stripped|$europe bytes ($(awk "BEGIN {printf \"%.1f\", $europe / 1024}") KiB)|<= 64 KiB|$(verdict "$europe" 65536)"
rows+=$'\n'"install.exe's imports|tools/lib/pe.py check on the shipped build|${dlls// /, }: ${functions:-?} functions|Windows' own DLLs (KERNEL32, USER32, GDI32, ADVAPI32); functions that Windows 95 and NT 4.0 export|$imports"

echo
echo "Benchmark of $(date -u +%Y-%m-%d), Wine $(. "$session/wine/env" && "$WINE_LOADER" --version), $arch:"
echo
echo "| what | how | result | goal | |"
echo "|---|---|---|---|---|"
sed 's/|/ | /g; s/^/| /; s/$/ |/' <<<"$rows"
