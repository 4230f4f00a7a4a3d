# Sourced by the Wine scripts.
#   wine_loader_of win32|win64   prints the Wine loader of that build: a Linux
#                                program of the build's architecture
#   wine_use win32|win64 <dir>   exports the environment every Windows process
#                                of that build runs in, and sets wine_loader
#                                and wine_server
# <dir> holds the Wine prefix ("prefix") and, while a session is active, the
# display of its Xvfb ("session/display"); without one, $DISPLAY is used.
#   wine_package_of win32|win64  prints the Debian package of that loader
# The loaders are called directly: Debian's "wine" wrapper picks the 32-bit
# one whenever wine32 is installed, even on a kernel that cannot run it.
# SCRIBECRYPT_WINE_LOADERS names another folder holding the loaders and the
# server (/usr/lib/wine by default).
wine_loaders=${SCRIBECRYPT_WINE_LOADERS:-/usr/lib/wine}

wine_loader_of() {
  case "$1" in
    win32) echo "$wine_loaders/wine" ;;
    win64) echo "$wine_loaders/wine64" ;;
    *) echo "unknown Windows build '$1' (win32 or win64)" >&2; return 2 ;;
  esac
}

wine_package_of() {
  case "$1" in
    win32) echo wine32:i386 ;;
    win64) echo wine64 ;;
  esac
}

wine_use() {
  wine_loader=$(wine_loader_of "$1") || return
  # One server serves both loaders; it is what Debian's wrapper starts too.
  wine_server="$wine_loaders/wineserver64"
  export WINESERVER=$wine_server
  local dir
  dir=$(realpath -m "$2")
  # SCRIBECRYPT_WINE_LOCALE runs a test where the system's ANSI code page is
  # another than the Chinese one (C: code page 1252).
  local locale=${SCRIBECRYPT_WINE_LOCALE:-zh_CN.UTF-8}
  export WINEPREFIX="$dir/prefix" WINEDEBUG=-all LANG=$locale LC_ALL=$locale
  if [ -f "$dir/session/display" ]; then
    DISPLAY=":$(cat "$dir/session/display")"
    export DISPLAY
  fi
}
