#!/usr/bin/env bash
# Screenshots of the editor under Xvfb: the enter-password dialog, the main
# window with a Chinese note and the new-password dialog with its cipher list
# open, in build/screenshots/.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/build.sh" win32

wine_dir="$repo/build/win32/wine-screenshots"
shots="$repo/build/screenshots"
mkdir -p "$shots"
"$repo/tools/wine-session.sh" start "$wine_dir"
trap '"$repo/tools/wine-session.sh" stop "$wine_dir"' EXIT
display=":$(cat "$wine_dir/session/display")"

export SCRIBECRYPT_EXE="$repo/build/win32/app/scribecrypt.exe"
coproc DRIVER { "$repo/tools/wine-run.sh" "$wine_dir" "$repo/build/win32/tests/e2e/screenshot_driver.exe"; }
while IFS= read -r state <&"${DRIVER[0]}"; do
  state=${state%$'\r'}
  import -window root -display "$display" "$shots/$state.png"
  echo "saved $shots/$state.png"
  echo >&"${DRIVER[1]}"
done
wait
