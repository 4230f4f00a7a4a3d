#!/usr/bin/env bash
# Installs everything the Windows cross build, the native build and the Wine
# test harness need on a Debian 12 machine, and unpacks the Mbed TLS source.
# Run as root. Does nothing when everything is already present.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
deps="$repo/build/deps"

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei
  locales dpkg-dev
  libgtest-dev googletest libbenchmark-dev libssl-dev openssl python3-pefile
)

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

if [ ${#missing[@]} -gt 0 ] || [ ! -f "$deps/mbedtls/include/mbedtls/version.h" ]; then
  need_update=1
fi
if [ $need_update -eq 1 ]; then
  apt-get update -q
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes the ANSI code page from the locale; without zh_CN it silently uses 1252.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi

# Mbed TLS comes from Debian's source package; the build compiles only the
# modules the product uses against our own configuration header.
if [ ! -f "$deps/mbedtls/include/mbedtls/version.h" ]; then
  rm -rf "$deps/mbedtls" "$deps/unpack"
  mkdir -p "$deps/unpack"
  (cd "$deps/unpack" && apt-get source -q mbedtls)
  src=$(find "$deps/unpack" -mindepth 1 -maxdepth 1 -type d -name 'mbedtls-*' | head -n 1)
  [ -n "$src" ] || { echo "setup: apt-get source mbedtls produced no source tree" >&2; exit 1; }
  mv "$src" "$deps/mbedtls"
  rm -rf "$deps/unpack"
fi
version=$(sed -n 's/^#define MBEDTLS_VERSION_STRING *"\(.*\)"/\1/p' "$deps/mbedtls/include/mbedtls/version.h")
case "$version" in
  2.28.*) ;;
  *) echo "setup: Mbed TLS $version found in $deps/mbedtls, but 2.28.x is required" >&2; exit 1 ;;
esac
