#!/bin/sh
# Builds scribecrypt-cli natively without sanitizers (they distort speed) in
# build/bench and times `show` of a large note against `cat` of the same
# program file (bench/cli_bench.py). The program file is a Windows build's
# program, the 32-bit one unless SCRIBECRYPT_BUILD names another:
#   bash tools/bench-cli.sh [MiB] [rounds]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
program="$root/build/${SCRIBECRYPT_BUILD:-win32}/app/scribecrypt.exe"
[ -f "$program" ] || { echo "bench-cli: build $program first (bash tools/build.sh ${SCRIBECRYPT_BUILD:-win32})" >&2; exit 1; }

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DSCRIBECRYPT_SANITIZE=OFF >/dev/null
cmake --build "$build" --target scribecrypt-cli >/dev/null
exec python3 "$root/bench/cli_bench.py" "$build/cli/scribecrypt-cli" "$program" "$@"
