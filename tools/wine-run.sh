#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's environment:
#   wine-run.sh <wine-dir> program.exe [args...]
# <wine-dir> holds the Wine prefix ("prefix") and, while a test run is active,
# the display of its Xvfb ("session/display"); without one, $DISPLAY is used.
set -euo pipefail
dir=$(realpath -m "$1")
shift
export WINEPREFIX="$dir/prefix"
export WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
if [ -f "$dir/session/display" ]; then
  DISPLAY=":$(cat "$dir/session/display")"
  export DISPLAY
fi
exec wine "$@"
