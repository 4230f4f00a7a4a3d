# Sourced by the Wine scripts:  wine_use win32|win64 <wine-dir>
# Exports the environment every Windows process of that build runs in and
# sets wine_loader and wine_server to the Wine programs of its architecture.
# <wine-dir> holds the Wine prefix ("prefix") and, while a session is active,
# the display of its Xvfb ("session/display"); without one, $DISPLAY is used.
wine_use() {
  case "$1" in
    # Debian's wrappers: the 32-bit loader and the 64-bit server.
    win32) wine_loader=wine wine_server=wineserver ;;
    # Called directly: the wrappers pick the 32-bit loader whenever wine32 is
    # installed, even on a kernel that cannot run it.
    win64) wine_loader=/usr/lib/wine/wine64 wine_server=/usr/lib/wine/wineserver64
           export WINESERVER=$wine_server ;;
    *) echo "unknown Windows build '$1' (win32 or win64)" >&2; return 2 ;;
  esac
  local dir
  dir=$(realpath -m "$2")
  export WINEPREFIX="$dir/prefix" WINEDEBUG=-all LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  if [ -f "$dir/session/display" ]; then
    DISPLAY=":$(cat "$dir/session/display")"
    export DISPLAY
  fi
}
