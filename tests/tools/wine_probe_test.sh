#!/usr/bin/env bash
# The Wine probe of tools/wine-builds.sh, on loaders made for the purpose:
# one that runs, one the kernel refuses, one missing and one that is there
# but broken. Only a refused loader may turn a build into "checked
# statically only"; a missing or broken one must stop the run.
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check <description> <command...>
  local what=$1
  shift
  if ! "$@"; then
    echo "FAIL: $what" >&2
    failures=$((failures + 1))
  fi
}

# loaders <folder> <win32 kind> <win64 kind>: kind is runs, refused, broken or missing.
loaders() {
  local dir=$1 name kind
  mkdir -p "$dir"
  for name in wine wine64; do
    kind=$2
    [ "$name" = wine ] || kind=$3
    case "$kind" in
      runs) printf '#!/bin/sh\necho wine-8.0\n' >"$dir/$name" ;;
      broken) printf '#!/bin/sh\necho "error while loading shared libraries: libwine.so.1" >&2\nexit 127\n' >"$dir/$name" ;;
      # An ELF header for a machine type no kernel runs: execve fails with
      # ENOEXEC, as an i386 program does on a kernel without 32-bit support.
      refused) printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\064\022' >"$dir/$name" ;;
      missing) continue ;;
    esac
    chmod +x "$dir/$name"
  done
}

# probe <folder> [VAR=value...]: runs the probe in a shell of its own and
# prints the builds it found, its report and its status; errors go to
# <folder>/errors.
probe() {
  local dir=$1
  shift
  env "$@" SCRIBECRYPT_WINE_LOADERS="$dir" bash -c '
    source "$0/tools/wine-builds.sh"
    wine_probe_builds
    status=$?
    echo "builds: ${wine_builds[*]}"
    printf "%s" "$wine_probe_report"
    echo "status: $status"' "$repo" 2>"$dir/errors"
}

loaders "$work/both" runs runs
out=$(probe "$work/both")
check "both loaders run: both builds" grep -qx 'builds: win32 win64' <<<"$out"
check "both loaders run: status 0" grep -qx 'status: 0' <<<"$out"
out=$(probe "$work/both" SCRIBECRYPT_ASSUME_NO_32BIT=1)
check "assumed no 32-bit: only win64" grep -qx 'builds: win64' <<<"$out"
check "assumed no 32-bit: win32 checked statically, saying why" \
  grep -q '^win32: checked statically only; .*SCRIBECRYPT_ASSUME_NO_32BIT=1' <<<"$out"

loaders "$work/refused" refused runs
out=$(probe "$work/refused")
check "refused 32-bit loader: only win64" grep -qx 'builds: win64' <<<"$out"
check "refused 32-bit loader: status 0" grep -qx 'status: 0' <<<"$out"
check "refused 32-bit loader: checked statically, Exec format error" \
  grep -qx "win32: checked statically only; its Wine loader $work/refused/wine does not run here: Exec format error" <<<"$out"
check "refused 32-bit loader: win64 runs" grep -q '^win64: runs under Wine (wine-8.0 ' <<<"$out"
out=$(env SCRIBECRYPT_WINE_LOADERS="$work/refused" SCRIBECRYPT_BUILD=win32 bash -c \
  'source "$0/tools/wine-builds.sh"; wine_pick_build; echo "status: $?"' "$repo" 2>"$work/pick-errors")
check "picking a refused build fails" grep -qx 'status: 1' <<<"$out"
check "picking a refused build names it" grep -q 'no Windows build named win32 runs' "$work/pick-errors"

for missing in win32 win64; do
  if [ $missing = win32 ]; then loaders "$work/no-$missing" missing runs; else loaders "$work/no-$missing" runs missing; fi
  out=$(probe "$work/no-$missing")
  check "missing $missing loader: status 1" grep -qx 'status: 1' <<<"$out"
  check "missing $missing loader: no build checked statically" bash -c '! grep -q "checked statically" <<<"$0"' "$out"
  check "missing $missing loader: a set-up error naming it and its package" \
    grep -q "^set-up error: the Wine loader of the $missing build, $work/no-$missing/wine.* is missing. Install Debian's package wine" \
    "$work/no-$missing/errors"
done

loaders "$work/broken" broken runs
out=$(probe "$work/broken")
check "broken loader: status 1" grep -qx 'status: 1' <<<"$out"
check "broken loader: a set-up error with its output" \
  grep -q "^set-up error: .*$work/broken/wine, is there but does not work: error while loading shared libraries" "$work/broken/errors"

[ $failures -eq 0 ] && echo "wine probe: all cases passed"
exit $((failures > 0))
