#!/usr/bin/env bash
# Configures and builds build/ARCH with the CMake presets of that name:
#   build.sh ARCH [TARGET...]     (ARCH: i686 or x86_64; default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
arch=$1
shift
cmake --preset "$arch" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build --preset "$arch" --parallel "$(nproc)" "${targets[@]}"
