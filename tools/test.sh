#!/usr/bin/env bash
# Installs what is missing, builds the launcher, checks that the shipped
# programs build reproducibly, and runs every test under Wine. Exits nonzero
# on any failure. The builds and the tests' scratch Wine prefix are in
# build/ARCH, as the CMake presets i686 and x86_64 lay them out.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
arch=$(bash tools/wine-arch.sh)

# The shipped launcher is the 32-bit build; it is always built, tests
# included, so 32-bit compile errors show on every machine.
bash tools/build.sh i686
bash tests/check_reproducible.sh
if [ "$arch" != i686 ]; then
    # The checks that need no Wine still run on the shipped program.
    ctest --preset i686 --label-regex static
    echo "Tests run the $arch build of the same sources (this machine cannot run 32-bit x86 code, or TEST_ARCH chose it)."
    bash tools/build.sh "$arch"
fi
ctest --preset "$arch" --parallel "$(nproc)"
