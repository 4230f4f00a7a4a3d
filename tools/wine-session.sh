#!/usr/bin/env bash
# Starts or stops the Xvfb display and the persistent wineserver shared by one
# test run:  wine-session.sh start <wine-dir> win32|win64,  wine-session.sh stop <wine-dir>
# Both are stopped by the process ids recorded at start.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
action=$1
dir=$(realpath -m "$2")
build=${3:-}
session="$dir/session"

stop() {
  for name in wineserver xvfb; do
    if [ -f "$session/$name.pid" ]; then
      pid=$(cat "$session/$name.pid")
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
    fi
  done
  rm -rf "$session"
}

start() {
  wine_use "$build" "$dir"
  stop
  mkdir -p "$session"
  # Xvfb picks a free display number and writes it to fd 3.
  setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
    3>"$session/display.tmp" </dev/null >"$session/xvfb.log" 2>&1 &
  echo $! >"$session/xvfb.pid"
  for _ in $(seq 100); do [ -s "$session/display.tmp" ] && break; sleep 0.1; done
  [ -s "$session/display.tmp" ] || { echo "wine-session: Xvfb did not start" >&2; cat "$session/xvfb.log" >&2; exit 1; }
  tr -d '\n' <"$session/display.tmp" >"$session/display"
  rm -f "$session/display.tmp"

  DISPLAY=":$(cat "$session/display")"
  export DISPLAY
  mkdir -p "$WINEPREFIX"
  setsid "$wine_server" -f -p </dev/null >"$session/wineserver.log" 2>&1 &
  echo $! >"$session/wineserver.pid"
  # A new prefix takes a few seconds to create; later runs reuse it. Its
  # creation has been seen to fail once on a loaded machine; an update of
  # what it wrote is tried before giving up.
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    local booted=no mode
    for mode in --init --update --update; do
      if "$wine_loader" wineboot "$mode" </dev/null >"$session/wineboot.log" 2>&1; then
        booted=yes
        break
      fi
      echo "wine-session: wineboot $mode failed:" >&2
      cat "$session/wineboot.log" >&2
      sleep 2
    done
    [ "$booted" = yes ] || { echo "wine-session: cannot create the Wine prefix $WINEPREFIX" >&2; exit 1; }
  fi
  # Xvfb runs no window manager, and Wine waits two seconds for one whenever
  # a managed window is hidden or destroyed; unmanaged windows skip that wait.
  # The server may still be starting up, so the setting is tried a few times.
  for attempt in 1 2 3 4 5; do
    "$wine_loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      </dev/null >"$session/reg.log" 2>&1 && return
    sleep "$attempt"
  done
  echo "wine-session: the prefix in $WINEPREFIX takes no settings" >&2
  cat "$session/reg.log" >&2
  exit 1
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: wine-session.sh start <wine-dir> win32|win64 | stop <wine-dir>" >&2; exit 2 ;;
esac
