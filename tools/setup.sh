#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, as root.
# Quiet and quick when everything is already there: nothing is reinstalled.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
deps=${MERVALIS_DEPS:-/opt/mervalis-deps}
# Each build of libjpeg that changes what the program links lives under a
# name of its own (this one: SIMD, unused features compiled out): an older
# build, left in its former path, is never taken for it, and this one is
# built anew.
jpeg_prefix=$deps/libjpeg-turbo-simd-lean-i686-w64-mingw32

packages=(
  make cmake ninja-build g++ pkg-config dpkg-dev
  g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32 binutils-mingw-w64-i686
  mingw-w64-i686-dev mingw-w64-tools
  wine wine32:i386 xvfb xauth x11-utils x11-xserver-utils imagemagick
  libxrandr2:i386 libxinerama1:i386
  googletest libbenchmark-dev libjpeg62-turbo-dev nasm
  clang libclang-rt-14-dev g++-multilib libjpeg62-turbo-dev:i386
  chromium nodejs npm fonts-dejavu-core fonts-wine fonts-liberation python3 python3-pil
  python3-yaml python3-jsonschema
)

say() { printf 'setup: %s\n' "$*"; }

# Runs a noisy command with its output kept in a log, shown only when it fails.
quiet() {
  local log
  log=$(mktemp)
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    say "failed: $*" >&2
    exit 1
  fi
  rm -f "$log"
}

as_root() {
  if [ "$(id -u)" -ne 0 ]; then
    say "needs root to install: $*" >&2
    exit 1
  fi
}

apt_updated=0
apt_update() {
  [ "$apt_updated" = 1 ] && return
  say "apt-get update"
  quiet apt-get update
  apt_updated=1
}

# 32-bit Wine needs the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root "i386 architecture"
  say "adding the i386 architecture"
  dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
  # nodejs/npm may come from elsewhere than Debian; a working command is enough.
  case $p in
    nodejs) command -v node >/dev/null && continue ;;
    npm) command -v npm >/dev/null && continue ;;
  esac
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [ "${status:0:2}" = "ii" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root "${missing[*]}"
  apt_update
  say "installing ${missing[*]}"
  quiet env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# libjpeg-turbo for the 32-bit Windows build, from Debian's source package,
# with its SIMD code (assembled by nasm; libjpeg picks it at run time by the CPU).
# The options of the build are stamped in the prefix: a build made with other
# options (or none stamped) is made anew.
jpeg_options="-DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=ON -DREQUIRE_SIMD=ON \
-DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF -DWITH_ARITH_ENC=OFF -DWITH_ARITH_DEC=OFF"
# Each function in a section of its own, so that the program's link keeps
# only the decoder's SIMD code; no unwind tables (C code, no exceptions
# through it); no environment variables read (they would bring in sscanf);
# the system C library's printf for the error messages (MinGW's own, with its
# floating-point formatting, would add some 27 KB to the program).
jpeg_cflags="-O3 -DNDEBUG -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables -DNO_GETENV -D__USE_MINGW_ANSI_STDIO=0"
# Features the program never asks for, compiled out of jmorecfg.h: the
# decoder's set-up refers to them, so their code (SIMD versions included)
# would be linked though never run. Merged upsampling serves only decoding
# without fancy upsampling, quantisation only colour-mapped output, and the
# fast-integer and floating-point IDCTs only a dct_method other than the
# default accurate integer one.
jpeg_unused="UPSAMPLE_MERGING_SUPPORTED QUANT_1PASS_SUPPORTED QUANT_2PASS_SUPPORTED DCT_IFAST_SUPPORTED DCT_FLOAT_SUPPORTED"
jpeg_stamp="$jpeg_prefix/mervalis-build-options"
jpeg_build="$jpeg_options $jpeg_cflags without $jpeg_unused"
if [ ! -f "$jpeg_prefix/lib/libjpeg.a" ] || [ "$(cat "$jpeg_stamp" 2>/dev/null)" != "$jpeg_build" ]; then
  as_root "libjpeg-turbo for mingw"
  if ! apt-get source --print-uris libjpeg-turbo >/dev/null 2>&1; then
    say "adding a deb-src entry for Debian's sources"
    src=/etc/apt/sources.list.d/mervalis-deb-src.sources
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources > "$src"
    else
      grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > /etc/apt/sources.list.d/mervalis-deb-src.list
    fi
    apt_updated=0
    apt_update
  fi
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  say "building libjpeg-turbo with SIMD for i686-w64-mingw32"
  (cd "$work" && quiet apt-get source libjpeg-turbo)
  srcdir=$(find "$work" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)
  [ -n "$srcdir" ] || { say "libjpeg-turbo source not found" >&2; exit 1; }
  for feature in $jpeg_unused; do
    grep -q "^#define $feature\b" "$srcdir/jmorecfg.h" || { say "$feature not in jmorecfg.h" >&2; exit 1; }
    sed -i "s/^#define $feature\b/#undef $feature/" "$srcdir/jmorecfg.h"
  done
  # shellcheck disable=SC2086 # the options are words
  quiet cmake -Wno-dev -S "$srcdir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$jpeg_prefix" \
    -DCMAKE_C_FLAGS_RELEASE="$jpeg_cflags" -DCMAKE_ASM_NASM_COMPILER=nasm $jpeg_options
  rm -rf "$jpeg_prefix"
  quiet cmake --build "$work/build" --target install
  printf '%s' "$jpeg_build" > "$jpeg_stamp"
fi

# The Linux user that plays a standard user of Windows in the Wine tests
# (tools/run_tests.py): not root, so that the folders of its prefix that
# belong to root refuse its writes.
if ! id mervalis-user >/dev/null 2>&1; then
  as_root "the test user mervalis-user"
  say "adding the test user mervalis-user"
  useradd --create-home --shell /bin/sh mervalis-user
fi

# playwright-core for the page test (the browser is Debian's chromium).
page=$here/tests/payload/page
if [ -f "$page/package.json" ] && [ ! -d "$page/node_modules/playwright-core" ]; then
  say "installing the page test's npm packages"
  (cd "$page" && quiet npm ci --no-audit --no-fund)
fi
