#!/usr/bin/env bash
# Builds the editor and starts it under Wine: the 32-bit program where this
# machine runs it, else the 64-bit one (SCRIBECRYPT_BUILD=win32|win64 picks).
# On $DISPLAY when there is one; otherwise on a virtual display, saving a
# screenshot after a few seconds.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/setup.sh"
source "$repo/tools/wine-builds.sh"
wine_pick_build
bash "$repo/tools/build.sh" "$wine_build"

exe="$repo/build/$wine_build/app/scribecrypt.exe"
wine_dir="$repo/build/$wine_build/wine-desktop"
echo "Starting the $wine_build build: $exe"

if [ -n "${DISPLAY:-}" ]; then
  exec "$repo/tools/wine-run.sh" "$wine_build" "$wine_dir" "$exe"
fi

"$repo/tools/wine-session.sh" start "$wine_dir" "$wine_build"
trap '"$repo/tools/wine-session.sh" stop "$wine_dir"' EXIT
"$repo/tools/wine-run.sh" "$wine_build" "$wine_dir" "$exe" &
program=$!
sleep "${SCREENSHOT_DELAY:-6}"
shot="$repo/build/screenshots/editor.png"
mkdir -p "$(dirname "$shot")"
import -window root -display ":$(cat "$wine_dir/session/display")" "$shot"
echo "No display: the editor ran on a virtual one. Screenshot: $shot"
kill "$program" 2>/dev/null || true
