# Sourced:  wine_probe_builds
# Finds out by trying which Windows builds this machine runs under Wine, and
# sets wine_builds (those builds, in order) and wine_probe_report (one line
# per build saying whether it runs and why). Each build needs its Wine loader,
# a Linux program of that architecture: kernels with 32-bit emulation switched
# off refuse the i386 one ("Exec format error"), so no 32-bit Windows program
# runs there at all, and that build is checked statically only.
# A loader that is missing, or present but failing for any other reason, is
# a set-up fault: the probe says so and returns 1, so that no run can pass by
# skipping what it could not start. Call tools/setup.sh before probing.
# SCRIBECRYPT_ASSUME_NO_32BIT=1 makes the probe answer as on a machine that
# runs no 32-bit programs.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

wine_probe_builds() {
  wine_builds=()
  wine_probe_report=""
  local build loader output
  for build in win32 win64; do
    loader=$(wine_loader_of "$build")
    if [ "$build" = win32 ] && [ "${SCRIBECRYPT_ASSUME_NO_32BIT:-0}" = 1 ]; then
      output="SCRIBECRYPT_ASSUME_NO_32BIT=1 says this machine runs no 32-bit programs"
    elif [ ! -e "$loader" ]; then
      echo "set-up error: the Wine loader of the $build build, $loader, is missing." \
        "Install Debian's package $(wine_package_of "$build") (bash tools/setup.sh does, as root)." >&2
      return 1
    elif output=$(LC_ALL=C "$loader" --version 2>&1); then
      wine_builds+=("$build")
      wine_probe_report+="$build: runs under Wine ($output from $loader)"$'\n'
      continue
    elif [[ "$output" != *"Exec format error"* ]]; then
      echo "set-up error: the Wine loader of the $build build, $loader, is there but does not work: $output" >&2
      return 1
    fi
    wine_probe_report+="$build: checked statically only; its Wine loader $loader does not run here: ${output##*: }"$'\n'
  done
}

# Sourced:  wine_pick_build
# Sets wine_build to the build a script should run: SCRIBECRYPT_BUILD when set
# (win32 or win64), else the 32-bit program we ship where this machine runs
# it, else the 64-bit one. Fails when the chosen build cannot run here.
wine_pick_build() {
  wine_probe_builds || return
  wine_build=${SCRIBECRYPT_BUILD:-${wine_builds[0]:-}}
  if [[ -z "$wine_build" || " ${wine_builds[*]} " != *" $wine_build "* ]]; then
    printf '%s' "$wine_probe_report" >&2
    echo "no Windows build${wine_build:+ named $wine_build} runs under Wine on this machine" >&2
    return 1
  fi
}
