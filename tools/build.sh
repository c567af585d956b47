#!/usr/bin/env bash
# Configures and builds one build tree with the MinGW-w64 toolchain of ARCH:
#   build.sh DIR ARCH [TARGET...]     (ARCH: i686 or x86_64; default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1 arch=$2
shift 2
cmake --no-warn-unused-cli -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$dir" --parallel "$(nproc)" "${targets[@]}"
