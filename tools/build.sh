#!/usr/bin/env bash
# Installs what is missing, then configures and builds:
#   build/win32  the Windows program and its tests, 32-bit (MinGW i686, static)
#   build/win64  the same, 64-bit (MinGW x86_64, static)
#   build/native the portable code and its tests (clang, ASan + UBSan)
#   build/release the native companion for use: optimised, no sanitizers,
#                stripped (build/release/cli/scribecrypt-cli); built only when named
# Name builds to build only those, e.g. "build.sh win64"; no name builds the first three.
# --programs builds only what ships (the editor and the companion), not the tests.
# SOURCE_DATE_EPOCH is the commit's time unless set, so that nothing built
# depends on the day it was built.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

programs_only=
if [ "${1:-}" = --programs ]; then
  programs_only=1
  shift
fi
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$repo" log -1 --format=%ct 2>/dev/null || echo 0)}

bash "$repo/tools/setup.sh"

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(win32 win64 native)

for build in "${builds[@]}"; do
  type=RelWithDebInfo
  targets=()
  case "$build" in
    win32) options=(-DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake") ;;
    win64) options=(-DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-x86_64.cmake") ;;
    native) options=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++) ;;
    release)
      options=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSCRIBECRYPT_SANITIZE=OFF -DCMAKE_EXE_LINKER_FLAGS=-s)
      type=Release
      targets=(--target scribecrypt-cli)
      ;;
    *) echo "build.sh: unknown build '$build' (win32, win64, native or release)" >&2; exit 2 ;;
  esac
  if [ -n "$programs_only" ]; then
    case "$build" in
      win32|win64) targets=(--target scribecrypt --target scribecrypt-cli) ;;
      *) targets=(--target scribecrypt-cli) ;;
    esac
  fi
  cmake -S "$repo" -B "$repo/build/$build" -G Ninja -DCMAKE_BUILD_TYPE=$type "${options[@]}" >/dev/null
  cmake --build "$repo/build/$build" "${targets[@]}"
done
