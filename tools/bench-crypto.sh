#!/bin/sh
# Builds the crypto benchmark without sanitizers (they distort speed) in
# build/bench and runs it. Its last two lines are the throughput of our
# SM4-CBC and SEED-CBC encryption relative to OpenSSL's at 1 MiB:
#   SM4-CBC ours/OpenSSL = <ratio>
#   SEED-CBC ours/OpenSSL = <ratio>
# Extra arguments go to Google Benchmark, e.g. --benchmark_filter=CBC.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DSCRIBECRYPT_SANITIZE=OFF >/dev/null
cmake --build "$build" --target crypto_bench >/dev/null
exec "$build/bench/crypto_bench" --benchmark_enable_random_interleaving=true "$@"
