#!/usr/bin/env bash
# Installs what is missing, builds the launcher and runs every test under
# Wine. Exits nonzero on any failure. BUILD_DIR (default: build) holds the
# builds and the tests' scratch Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
build=${BUILD_DIR:-build}
arch=$(bash tools/wine-arch.sh)

# The shipped launcher is the 32-bit build; it is always built, tests
# included, so 32-bit compile errors show on every machine.
bash tools/build.sh "$build/i686" i686
if [ "$arch" != i686 ]; then
    # The checks that need no Wine still run on the shipped program.
    ctest --test-dir "$build/i686" --label-regex static --output-on-failure
    echo "Tests run the $arch build of the same sources (this machine cannot run 32-bit x86 code, or TEST_ARCH chose it)."
    bash tools/build.sh "$build/$arch" "$arch"
fi
ctest --test-dir "$build/$arch" --output-on-failure
