#!/usr/bin/env bash
# Times the note's key derivation (Argon2id, t = 3, m = 64 MiB, p = 1):
#   bash tools/bench-kdf.sh [win32] [win64]
# the project's native build without sanitizers against Debian's libsodium
# in one process; then, for each Windows build named (by default those this
# machine runs), that build's program under Wine. The 64-bit one is compared
# with Debian's native 64-bit libsodium, the 32-bit one with libsodium built
# for i686 Linux by its own build system from the same source (static, with
# its optimised code paths), measured in the same run. Its last lines are
# the times and their ratios (below 1 is faster than the reference):
#   Argon2id ours/Debian = <ratio>
#   Argon2id win32 = <seconds>
#   Argon2id i686 = <seconds>
#   Argon2id win32/i686 = <ratio>
#   Argon2id win64 = <seconds>
#   Argon2id win64/Debian = <ratio>
# Runs: RUNS (default 7) of each. The first run builds the i686 reference
# (a few minutes) into build/bench-i686.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
runs=${RUNS:-7}
bash "$repo/tools/setup.sh" --bench
source "$repo/tools/wine-builds.sh"
if [ $# -eq 0 ]; then
  wine_probe_builds
  set -- "${wine_builds[@]}"
fi

build="$repo/build/bench"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DSCRIBECRYPT_SANITIZE=OFF >/dev/null
cmake --build "$build" --target argon2_bench >/dev/null
native=$("$build/bench/kdf/argon2_bench" "$runs")
echo "$native"
debian=$(echo "$native" | sed -n 's/^Argon2id Debian = //p')

# The i686 reference: libsodium's own configure and make, then the same
# benchmark linked with it statically and alone, as $i686/argon2_bench.
i686="$repo/build/bench-i686"
build_i686_reference() {
  local sodium="$repo/build/deps/libsodium"
  if [ ! -f "$i686/sodium/lib/libsodium.a" ]; then
    echo "bench-kdf: building libsodium for i686 in $i686 (log: $i686/build.log)" >&2
    rm -rf "$i686/source" "$i686/sodium"
    mkdir -p "$i686"
    # A copy, so that the generated build files stay out of the tree the
    # project builds from.
    cp -a "$sodium" "$i686/source"
    (cd "$i686/source" && autoreconf -fi &&
      ./configure --host=i686-pc-linux-gnu CC="gcc -m32" --disable-shared --enable-static --prefix="$i686/sodium" &&
      make -j2 && make install) >"$i686/build.log" 2>&1
  fi
  g++ -m32 -std=c++17 -O2 -DNDEBUG -static -DARGON2_BENCH_ALONE -I"$repo" -I"$i686/sodium/include" \
    -I"$sodium/src/libsodium/crypto_pwhash/argon2" -I"$repo/build/deps/mbedtls/include" \
    "$repo/bench/kdf/argon2_bench.cpp" "$repo/crypto/sodium_primitives.cpp" "$i686/sodium/lib/libsodium.a" \
    -o "$i686/argon2_bench"
}

for windows in "$@"; do
  case "$windows" in
    win32) toolchain=mingw-i686 && build_i686_reference ;;
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
  if [ "$windows" = win32 ]; then
    reference=$("$i686/argon2_bench" "$runs" | sed -n 's/^Argon2id ours = //p')
    name=i686
    echo "Argon2id i686 = $reference"
  else
    reference=$debian name=Debian
  fi
  awk -v ours="$ours" -v reference="$reference" -v name="$windows/$name" \
    'BEGIN { printf "Argon2id %s = %.2f\n", name, ours / reference }'
done
