#!/usr/bin/env bash
# Runs a Windows program of one build under Wine with the project's environment:
#   wine-run.sh win32|win64 <wine-dir> program.exe [args...]
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
wine_use "$1" "$2"
shift 2
exec "$wine_loader" "$@"
