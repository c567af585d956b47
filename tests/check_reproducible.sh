#!/usr/bin/env bash
# Checks that the shipped programs (install.exe, the demo CD's NSIS setup.exe,
# and Setsound.exe and VEXDEMO.exe, which setup.exe carries) are
# reproducible: the same sources, copied into another folder and built
# there, give the same bytes as build/i686. A time stamp or a build path in a
# program, or a file date in setup.exe, makes it fail. Run after
# tools/build.sh i686.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=(install_exe demo_setup demo_setsound demo_game)
programs=(bin/install.exe demo/setup.exe demo/Setsound.exe demo/VEXDEMO.exe)
other=$(mktemp -d /tmp/vexmoor-rebuild.XXXXXX)
trap 'rm -rf "$other"' EXIT

# The sources as they are now, committed or not, at another path.
copy=$other/another/checkout
mkdir -p "$copy"
tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$copy"
(
    cd "$copy"
    cmake --preset i686 -DLAUNCHER_TESTS=OFF >/dev/null
    targets_args=()
    for target in "${targets[@]}"; do targets_args+=(--target "$target"); done
    cmake --build --preset i686 --parallel "$(nproc)" "${targets_args[@]}" >/dev/null
)

fail=0
for program in "${programs[@]}"; do
    here=build/i686/$program there=$copy/build/i686/$program
    if cmp -s "$here" "$there"; then
        echo "reproducible: $(sha256sum "$here" | cut -c1-64)  $program"
    else
        echo "NOT reproducible: $program differs between two builds of the same sources:"
        { cmp -l "$here" "$there" || true; } | head -5 |
            sed 's/^/  offset (1-based), byte here, byte there (octal): /' || true
        fail=1
    fi
done
exit $fail
