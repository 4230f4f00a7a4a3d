#!/usr/bin/env bash
# Installs what is missing, then configures and builds both builds:
#   build/win32  the Windows program and its tests (MinGW i686, static)
#   build/native the portable code and its tests (clang, ASan + UBSan)
# Pass "win32" to build only the Windows side.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

if [ "$(id -u)" -eq 0 ]; then
  bash "$repo/tools/setup.sh"
else
  sudo bash "$repo/tools/setup.sh"
fi

cmake -S "$repo" -B "$repo/build/win32" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$repo/build/win32"

if [ "${1:-all}" != win32 ]; then
  cmake -S "$repo" -B "$repo/build/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$repo/build/native"
fi
