#!/usr/bin/env bash
# Screenshots of the editor under Xvfb: the enter-password dialog, the main
# window with a Chinese note, the new-password dialog with its cipher list
# open and its refusal of a password the legacy cipher cannot store, in
# build/screenshots/. Runs the build tools/run.sh would start.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/setup.sh"
source "$repo/tools/wine-builds.sh"
wine_pick_build
bash "$repo/tools/build.sh" "$wine_build"

wine_dir="$repo/build/$wine_build/wine-screenshots"
shots="$repo/build/screenshots"
mkdir -p "$shots"
"$repo/tools/wine-session.sh" start "$wine_dir" "$wine_build"
trap '"$repo/tools/wine-session.sh" stop "$wine_dir"' EXIT
display=":$(cat "$wine_dir/session/display")"

export SCRIBECRYPT_EXE="$repo/build/$wine_build/app/scribecrypt.exe"
coproc DRIVER {
  "$repo/tools/wine-run.sh" "$wine_build" "$wine_dir" "$repo/build/$wine_build/tests/e2e/screenshot_driver.exe"
}
while IFS= read -r state <&"${DRIVER[0]}"; do
  state=${state%$'\r'}
  import -window root -display "$display" "$shots/$state.png"
  echo "saved $shots/$state.png"
  echo >&"${DRIVER[1]}"
done
wait
