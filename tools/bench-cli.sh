#!/bin/sh
# Builds the companion for use (tools/build.sh release: no sanitizers, which
# distort speed) and times `show` of a large note against `cat` of the same
# program file (bench/cli_bench.py). The program file is a Windows build's
# program, the 32-bit one unless SCRIBECRYPT_BUILD names another:
#   bash tools/bench-cli.sh [MiB] [rounds]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program="$root/build/${SCRIBECRYPT_BUILD:-win32}/app/scribecrypt.exe"
[ -f "$program" ] || { echo "bench-cli: build $program first (bash tools/build.sh ${SCRIBECRYPT_BUILD:-win32})" >&2; exit 1; }

bash "$root/tools/build.sh" release >/dev/null
exec python3 "$root/bench/cli_bench.py" "$root/build/release/cli/scribecrypt-cli" "$program" "$@"
