#!/usr/bin/env bash
# Times the note's key derivation (Argon2id, t = 3, m = 64 MiB, p = 1): the
# project's native build without sanitizers against Debian's libsodium in
# one process, then, for each Windows build named (win32, win64), that
# build's program under Wine against Debian's time of the same run. Its last
# lines are the ratios of the times (below 1 is faster than Debian's):
#   Argon2id ours/Debian = <ratio>
#   Argon2id win64/Debian = <ratio>
# Runs: RUNS (default 7) of each.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-7}
bash "$repo/tools/setup.sh"

build="$repo/build/bench"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DSCRIBECRYPT_SANITIZE=OFF >/dev/null
cmake --build "$build" --target argon2_bench >/dev/null
native=$("$build/bench/kdf/argon2_bench" "$runs")
echo "$native"
debian=$(echo "$native" | sed -n 's/^Argon2id Debian = //p')

for windows in "$@"; do
  case "$windows" in
    win32) toolchain=mingw-i686 ;;
    win64) toolchain=mingw-x86_64 ;;
    *) echo "bench-kdf: unknown build '$windows' (win32 or win64)" >&2; exit 2 ;;
  esac
  cmake -S "$repo" -B "$repo/build/$windows" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/$toolchain.cmake" >/dev/null
  cmake --build "$repo/build/$windows" --target argon2_bench >/dev/null
  wine_dir="$repo/build/$windows/wine-bench-kdf"
  mkdir -p "$wine_dir"
  "$repo/tools/wine-session.sh" start "$wine_dir" "$windows"
  ours=$("$repo/tools/wine-run.sh" "$windows" "$wine_dir" "$repo/build/$windows/bench/kdf/argon2_bench.exe" "$runs" |
    sed -n 's/\r$//; s/^Argon2id ours = //p')
  "$repo/tools/wine-session.sh" stop "$wine_dir"
  echo "Argon2id $windows = $ours"
  awk -v ours="$ours" -v debian="$debian" -v name="$windows" \
    'BEGIN { printf "Argon2id %s/Debian = %.2f\n", name, ours / debian }'
done
