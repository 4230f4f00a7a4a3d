#!/usr/bin/env bash
# Builds a Windows build and benchmarks the editor end to end under Wine, in
# a Wine session of its own (build/<build>/wine-bench): the 32-bit build where
# this machine runs it, else the 64-bit one (SCRIBECRYPT_BUILD=win32|win64 picks):
#   bash tools/bench-e2e.sh [--previous=COMMIT] [--open-limit-s=N] [--save-command-only] [SIZE...]
# SIZE is 1KiB, 1MiB, 2MiB, 4MiB or 16MiB (ASCII lines), the same with "-zh"
# (every other line Chinese), 24MiB or 32MiB. For each note size (all but the
# last two without any; those probe the most the view takes) it prints the medians of a few
# rounds and their ratio to a reference measured side by side in the same run:
#   open <size>: <ms> vs <ms> reference = <ratio>      process start to the note in the view,
#                                                      against a trivial window program's start
#   open <size>: <ms> vs <ms> bare editor window = <ratio>
#                                                      against the editor's frame and view alone,
#                                                      without a note (bench/e2e/bare_editor.cpp)
#   fill <size> <way>: <ms> vs <ms> bare editor window = <ratio>
#                                                      that window filling its view with the note
#                                                      in one WM_SETTEXT or EM_SETTEXTEX (up to 4MiB:
#                                                      beyond, they take minutes) or EM_STREAMIN
#                                                      (that also in UTF-16, EM_STREAMIN-UTF-16)
#   open <size>: <ms> vs <ms> view filled at once (<way>) = <ratio>
#                                                      against the fastest of those ways
#   steps <size>: <ms> <ms> <ms> <ms>                  for each note and, at 1KiB, for a new one:
#                                                      the start step by step (process start to the
#                                                      password dialog, confirmed to checked, to the
#                                                      frame, to the text in the view), medians
#   save <size>: <ms> vs <ms> reference = <ratio>      close answered Yes to the new note on disk,
#                                                      against a plain copy of the executable
#   ctrl+s <size>: <ms> vs <ms> reference = <ratio>    for 1KiB, 1MiB and 16MiB: the save command
#                                                      after a one-character edit to the view
#                                                      unmodified and the new note in the program
#                                                      file, against a program that reads the text
#                                                      from a view of its own as the editor's save
#                                                      does, seals it, copies the program file,
#                                                      writes the three entries in one resource
#                                                      update and reads them back (its own time,
#                                                      without its start or the view's fill)
#   unlock|save <size> XCHACHA20: <ms> vs <ms> AES = <ratio>
#                                                      for 1KiB and 1MiB, in the same rounds:
#                                                      the password confirmed to the note in
#                                                      the view, and the save on closing, of
#                                                      the note under the modern protection
#                                                      against the same note under AES
#   ctrl+s <size> XCHACHA20: <ms> vs <ms> reference|AES = <ratio>
#                                                      the same for the save command, in a
#                                                      modern editor saving in turn with the
#                                                      AES one (the reference seals with a
#                                                      key made beforehand)
#   ctrl+s <size> XCHACHA20 with 20 versions: <ms> vs <ms> with its rounds' versions only = <ratio>
#                                                      the same note with the most earlier
#                                                      versions a note keeps (all moved and
#                                                      checked by each save), in the same rounds,
#                                                      against the modern editor above, which
#                                                      keeps only what its rounds' saves kept
#   memory <size>: <MiB> vs <MiB> reference = <ratio>  the editor's peak working set,
#                                                      against the trivial program's
#   memory <size>: <MiB> vs <MiB> view filled at once (<way>) = <ratio>
#                                                      and against the fastest way's peak
#   open 1KiB: <ms> vs <ms> without 1000 unrelated files in the temporary folder = <ratio>
#                                                      the start looks through the temporary folder
#   open|save <size>: <ms> vs <ms> previous program = <ratio>
#                                                      with --previous, against the program built
#                                                      from COMMIT (in a worktree, build/previous)
# --save-command-only measures only the ctrl+s rows, of the sizes named.
# A note that is not in the view after N seconds (300 by default) is reported
# as a bound ("over ...") and not saved. Progress goes to the error output.
# The whole run takes about 5 minutes, 15 with --previous when the earlier
# program is the slower one, most of them waiting for the 16 MiB notes.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
bash "$repo/tools/setup.sh"
source "$repo/tools/wine-builds.sh"
wine_pick_build
bash "$repo/tools/build.sh" "$wine_build" >/dev/null
echo "bench-e2e: the $wine_build build" >&2

arguments=()
for argument in "$@"; do
  case "$argument" in
    --previous=*)
      previous="$repo/build/previous"
      git -C "$repo" worktree remove --force "$previous" 2>/dev/null || rm -rf "$previous"
      git -C "$repo" worktree add --force --detach "$previous" "${argument#--previous=}" >/dev/null
      echo "bench-e2e: building the previous program in $previous" >&2
      bash "$previous/tools/build.sh" "$wine_build" >/dev/null
      export SCRIBECRYPT_PREVIOUS_EXE="$previous/build/$wine_build/app/scribecrypt.exe"
      # An earlier commit may not know this build at all.
      if [ ! -f "$SCRIBECRYPT_PREVIOUS_EXE" ]; then
        echo "bench-e2e: ${argument#--previous=} builds no $wine_build program ($SCRIBECRYPT_PREVIOUS_EXE)" >&2
        exit 1
      fi
      ;;
    *) arguments+=("$argument") ;;
  esac
done

wine_dir="$repo/build/$wine_build/wine-bench"
mkdir -p "$wine_dir"
# Starting a session ends the one before it in the same folder, so one run
# at a time holds the lock; the programs it starts do not inherit it.
exec 9>"$wine_dir/lock"
flock -n 9 || { echo "bench-e2e: another run is using $wine_dir" >&2; exit 1; }
stop_session() {
  # Stopping the wineserver alone leaves the prefix's service processes
  # (services.exe, explorer.exe, ...) running; this ends every process of
  # this prefix first.
  (wine_use "$wine_build" "$wine_dir" && "$wine_server" -k 2>/dev/null) || true
  "$repo/tools/wine-session.sh" stop "$wine_dir" 9>&-
}
trap stop_session EXIT
"$repo/tools/wine-session.sh" start "$wine_dir" "$wine_build" 9>&-
export SCRIBECRYPT_EXE="$repo/build/$wine_build/app/scribecrypt.exe"
"$repo/tools/wine-run.sh" "$wine_build" "$wine_dir" "$repo/build/$wine_build/bench/e2e/e2e_bench.exe" "${arguments[@]}" 9>&- \
  | sed -u 's/\r$//'
