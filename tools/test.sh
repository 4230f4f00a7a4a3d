#!/usr/bin/env bash
# Sets up, builds everything and runs every test: the native tests under the
# sanitizers, then the complete Windows suite under Wine and Xvfb for each
# Windows build this machine runs, and only the static checks of a build it
# cannot run (tools/wine-builds.sh tells which; SCRIBECRYPT_ASSUME_NO_32BIT=1
# makes this run act as on a machine that runs no 32-bit programs). Then it
# builds the shipped programs again in a second clone and compares their
# bytes.
# The run fails unless at least one Windows build ran its complete suite:
# static checks alone say nothing of how the program behaves.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/setup.sh"
source "$repo/tools/wine-builds.sh"

wine_probe_builds
echo "== Windows builds on this machine"
printf '%s' "$wine_probe_report"
bash "$repo/tools/build.sh"

status=0
summary=""
complete_suites=()
# run_suite <build> <what> [ctest options...]: runs one build's tests and
# adds its result line to the summary; suite_result is passed or FAILED.
# A run that finds no tests fails.
run_suite() {
  local build=$1 what=$2 log
  shift 2
  log="$repo/build/$build/test-run.log"
  echo "== $build: $what"
  if ctest --test-dir "$repo/build/$build" -j2 --output-on-failure --no-tests=error "$@" 2>&1 | tee "$log"; then
    suite_result=passed
  else
    suite_result=FAILED
    status=1
  fi
  summary+="$build: $what, $suite_result ($(grep -Eo '[0-9]+ tests failed out of [0-9]+' "$log" || echo 'no tests ran'))"$'\n'
}

run_suite native "native tests"
for build in win32 win64; do
  if [[ " ${wine_builds[*]} " == *" $build "* ]]; then
    run_suite "$build" "complete suite under Wine"
    [ "$suite_result" = FAILED ] || complete_suites+=("$build")
  else
    run_suite "$build" "static checks only" -L static
  fi
done
echo "== reproducible build"
reproducible=0
bash "$repo/tools/check-reproducible.sh" || reproducible=$?
case $reproducible in
  0) summary+="reproducible build: passed (a second clone's programs have the same bytes)"$'\n' ;;
  2) summary+="reproducible build: not checked (uncommitted changes)"$'\n' ;;
  *) summary+="reproducible build: FAILED"$'\n'; status=1 ;;
esac
if [ ${#complete_suites[@]} -gt 0 ]; then
  summary+="complete Windows suite passed under Wine: ${complete_suites[*]}"$'\n'
else
  summary+="FAILED: no Windows build passed its complete suite under Wine"$'\n'
  status=1
fi

echo "== Summary"
printf '%s' "$summary"
printf '%s' "$wine_probe_report"
exit $status
