#!/usr/bin/env bash
# Builds the shipped programs of this commit a second time, in a fresh clone
# at another path, and compares them byte for byte with this tree's: the
# editor and the companion for win32 and win64, and the native companion.
# Only the unpacked dependency sources are shared; the build folders are not.
# The tree must be clean, or this tree's programs are not the commit's:
# exit status 2 says it was not.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
  echo "check-reproducible: the tree has uncommitted changes; commit them first" >&2
  exit 2
fi
programs=(
  win32/app/scribecrypt.exe win32/cli/scribecrypt-cli.exe
  win64/app/scribecrypt.exe win64/cli/scribecrypt-cli.exe
  release/cli/scribecrypt-cli
)

other=$(mktemp -d /tmp/scribecrypt-rebuild.XXXXXX)
trap 'rm -rf "$other"' EXIT
git clone -q "$repo" "$other/tree"
git -C "$other/tree" checkout -q "$(git -C "$repo" rev-parse HEAD)"
mkdir -p "$other/tree/build"
cp -a "$repo/build/deps" "$other/tree/build/"

echo "== building the programs in $repo"
bash "$repo/tools/build.sh" --programs win32 win64 release >/dev/null
echo "== building them again in $other/tree"
bash "$other/tree/tools/build.sh" --programs win32 win64 release >/dev/null

status=0
for program in "${programs[@]}"; do
  if cmp -s "$repo/build/$program" "$other/tree/build/$program"; then
    echo "same bytes: $program $(sha256sum < "$repo/build/$program" | cut -d' ' -f1)"
  else
    echo "DIFFERENT: $program ($(cmp "$repo/build/$program" "$other/tree/build/$program" | head -n 1))"
    status=1
  fi
done
exit $status
