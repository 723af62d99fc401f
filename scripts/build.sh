#!/usr/bin/env bash
# Configures and builds both trees: build/native (Linux, sanitizers on) and build/windows
# (cross-compiled with MinGW-w64). Usage: scripts/build.sh [native|windows|all]
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:-all}

if [[ $which == native || $which == all ]]; then
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build/native
fi
if [[ $which == windows || $which == all ]]; then
  cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
  cmake --build build/windows
fi
