#!/usr/bin/env bash
# Installs what is missing, builds the launcher and runs every test under
# Wine. Exits nonzero on any failure. BUILD_DIR (default: build) holds the
# builds and the tests' scratch Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
build=${BUILD_DIR:-build}
arch=$(bash tools/wine-arch.sh)
jobs=$(nproc)

configure_and_build() {
    local dir=$1 toolchain=$2
    cmake --no-warn-unused-cli -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$dir" --parallel "$jobs"
}

# The shipped launcher is the 32-bit build; it is always built, tests
# included, so 32-bit compile errors show on every machine.
configure_and_build "$build/i686" cmake/mingw-i686.cmake
if [ "$arch" != i686 ]; then
    # The checks that need no Wine still run on the shipped program.
    ctest --test-dir "$build/i686" --label-regex static --output-on-failure
    echo "Tests run the $arch build of the same sources (this machine cannot run 32-bit x86 code, or TEST_ARCH chose it)."
    configure_and_build "$build/$arch" "cmake/mingw-$arch.cmake"
fi
ctest --test-dir "$build/$arch" --output-on-failure
