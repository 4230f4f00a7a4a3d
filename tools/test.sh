#!/usr/bin/env bash
# Sets up, builds everything and runs every test: the native tests under the
# sanitizers, then the Windows tests under Wine and Xvfb.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/build.sh"

status=0
ctest --test-dir "$repo/build/native" -j2 --output-on-failure || status=1
ctest --test-dir "$repo/build/win32" -j2 --output-on-failure || status=1
exit $status
