#!/usr/bin/env bash
# Takes a screenshot of the test frame (menu bar, tool bar, view, status bar)
# under Xvfb:  screenshot-frame.sh [build-dir] [out.png] [menu]
# The build folder defaults to the build tools/run.sh would start; its name
# (win32 or win64) picks the Wine loader. "menu" opens the File popup first.
# Uses the build's running Wine session, or starts one and stops it again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/setup.sh"
if [ -z "${1:-}" ]; then
  source "$root/tools/wine-builds.sh"
  wine_pick_build
fi
build=$(realpath -m "${1:-$root/build/$wine_build}")
arch=$(basename "$build")
out=$(realpath -m "${2:-$build/screenshots/frame.png}")
mode=${3:-}
wine_dir="$build/wine"
program="$build/tests/framework/frame_window.exe"
[ -f "$program" ] || { echo "screenshot-frame: build $program first" >&2; exit 1; }

started=0
if [ ! -f "$wine_dir/session/display" ]; then
  "$root/tools/wine-session.sh" start "$wine_dir" "$arch"
  started=1
fi
log=$(mktemp)
cleanup() {
  rm -f "$log"
  if [ "$started" = 1 ]; then "$root/tools/wine-session.sh" stop "$wine_dir"; fi
}
trap cleanup EXIT

mkdir -p "$(dirname "$out")"
"$root/tools/wine-run.sh" "$arch" "$wine_dir" "$program" $mode >"$log" 2>&1 &
pid=$!
for _ in $(seq 300); do
  grep -q ready "$log" && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
grep -q ready "$log" || { echo "screenshot-frame: the frame did not come up" >&2; cat "$log" >&2; exit 1; }
# The frame is at (20, 20), 640 x 480; the crop keeps a margin around it.
import -window root -display ":$(cat "$wine_dir/session/display")" -crop 700x540+0+0 +repage "$out"
wait "$pid" || true
echo "$out"
