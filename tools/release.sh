#!/usr/bin/env bash
# Builds the shipped programs of this commit and writes dist/: the editor and
# the companion for win32 and win64, the native companion, SHA256SUMS over
# them and IDENTITIES (the program identity of each editor, which a saved
# note does not change; the companions hold no note, so their checksums
# serve). Prints both lists.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
dist="$repo/dist"

bash "$repo/tools/build.sh" --programs win32 win64 release >/dev/null

rm -rf "$dist"
mkdir -p "$dist/win32" "$dist/win64" "$dist/linux-x86_64"
for build in win32 win64; do
  cp "$repo/build/$build/app/scribecrypt.exe" "$repo/build/$build/cli/scribecrypt-cli.exe" "$dist/$build/"
done
cp "$repo/build/release/cli/scribecrypt-cli" "$dist/linux-x86_64/"

cd "$dist"
sha256sum win32/* win64/* linux-x86_64/* > SHA256SUMS
for program in win32/scribecrypt.exe win64/scribecrypt.exe; do
  identity=$(linux-x86_64/scribecrypt-cli identify "$program" | cut -d' ' -f2)
  echo "$identity  $program"
done > IDENTITIES

echo "== $dist (commit $(git -C "$repo" rev-parse --short HEAD))"
echo "SHA256SUMS:"
cat SHA256SUMS
echo "IDENTITIES:"
cat IDENTITIES
