#!/usr/bin/env bash
# Installs everything the Windows cross build, the native build and the Wine
# test harness need on a Debian 12 machine, and unpacks the Mbed TLS and
# libsodium sources.
# Runs itself through sudo when not started as root. Does nothing when
# everything is already present. Every script that builds, runs or probes
# the programs calls it first.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  exec sudo bash "$0" "$@"
fi

repo=$(cd "$(dirname "$0")/.." && pwd)
deps="$repo/build/deps"

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei
  locales dpkg-dev
  libgtest-dev googletest libbenchmark-dev libssl-dev openssl python3-pefile
  libsodium-dev python3-argon2 python3-cryptography
)
if [ "${1:-}" = --bench ]; then
  packages+=(g++-multilib autoconf automake libtool)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

# apt-get source needs a deb-src entry; derive it from the machine's own list.
src_list=/etc/apt/sources.list.d/scribecrypt-src.sources
if [ ! -f "$src_list" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src_list"
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ ! -f "$deps/mbedtls/include/mbedtls/version.h" ] ||
   [ ! -f "$deps/libsodium/configure.ac" ]; then
  need_update=1
fi
# A mirror part-way through a sync serves an index that does not match its
# Release file; apt then ignores that index and the update fails. A retry
# often finds it complete; if not, the install below copes without it.
index_complete=yes
if [ $need_update -eq 1 ]; then
  index_complete=no
  for attempt in 1 2 3; do
    if apt-get update -q; then
      index_complete=yes
      break
    fi
    echo "setup: apt-get update left an index out (attempt $attempt of 3)" >&2
    [ $attempt -eq 3 ] || sleep $((attempt * 10))
  done
fi
install() {
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" "${missing[@]}"
}
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  if ! install; then
    # The 32-bit libraries must have the very versions of their 64-bit
    # twins. With the i386 index of the security suite missing, its amd64
    # updates have no i386 twins; the release's own suite has both.
    [ "$index_complete" = no ] || exit 1
    release=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "setup: installing from $release alone, since an index of its updates could not be read" >&2
    install -t "$release"
  fi
fi

# Wine takes the ANSI code page from the locale; without zh_CN it silently uses 1252.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi

# Mbed TLS and libsodium come from Debian's source packages; the build
# compiles them itself (cmake/mbedtls.cmake, cmake/libsodium.cmake).
fetch_source() {  # package, directory under build/deps, a file the tree has
  if [ ! -f "$deps/$2/$3" ]; then
    rm -rf "$deps/$2" "$deps/unpack"
    mkdir -p "$deps/unpack"
    (cd "$deps/unpack" && apt-get source -q "$1")
    src=$(find "$deps/unpack" -mindepth 1 -maxdepth 1 -type d -name "$1-*" | head -n 1)
    [ -n "$src" ] || { echo "setup: apt-get source $1 produced no source tree" >&2; exit 1; }
    mv "$src" "$deps/$2"
    rm -rf "$deps/unpack"
  fi
}
fetch_source mbedtls mbedtls include/mbedtls/version.h
version=$(sed -n 's/^#define MBEDTLS_VERSION_STRING *"\(.*\)"/\1/p' "$deps/mbedtls/include/mbedtls/version.h")
case "$version" in
  2.28.*) ;;
  *) echo "setup: Mbed TLS $version found in $deps/mbedtls, but 2.28.x is required" >&2; exit 1 ;;
esac
fetch_source libsodium libsodium configure.ac
version=$(sed -n 's/^AC_INIT(\[libsodium\],\[\([0-9.]*\)\].*/\1/p' "$deps/libsodium/configure.ac")
if [ "$version" != 1.0.18 ]; then
  echo "setup: libsodium $version found in $deps/libsodium, but 1.0.18 is required" >&2
  exit 1
fi
