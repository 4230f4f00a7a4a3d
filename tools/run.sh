#!/usr/bin/env bash
# Builds the editor and starts it under Wine. On $DISPLAY when there is one;
# otherwise on a virtual display, saving a screenshot after a few seconds.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/build.sh" win32

exe="$repo/build/win32/app/scribecrypt.exe"
wine_dir="$repo/build/win32/wine-desktop"

if [ -n "${DISPLAY:-}" ]; then
  exec "$repo/tools/wine-run.sh" "$wine_dir" "$exe"
fi

"$repo/tools/wine-session.sh" start "$wine_dir"
trap '"$repo/tools/wine-session.sh" stop "$wine_dir"' EXIT
"$repo/tools/wine-run.sh" "$wine_dir" "$exe" &
program=$!
sleep "${SCREENSHOT_DELAY:-6}"
shot="$repo/build/screenshots/editor.png"
mkdir -p "$(dirname "$shot")"
import -window root -display ":$(cat "$wine_dir/session/display")" "$shot"
echo "No display: the editor ran on a virtual one. Screenshot: $shot"
kill "$program" 2>/dev/null || true
