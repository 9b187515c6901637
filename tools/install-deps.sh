#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, and
# cross-builds libjpeg-turbo (its 6b interface) for both MinGW targets from
# Debian's source package. Safe to run again: it only does what is missing.
#
#   tools/install-deps.sh [BUILD_ROOT]     (default: build)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_root=$(realpath -m "${1:-$repo/build}")
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake ninja-build g++ python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools nasm
  wine wine64 xvfb x11-utils fonts-wqy-zenhei locales
  googletest libbenchmark-dev libjpeg62-turbo-dev libjpeg-turbo-progs
  osslsigncode openssl dpkg-dev imagemagick xdotool
)

source "$repo/tools/apt-packages.sh"
ensure_packages "${packages[@]}"

# Wine shows the installer's Chinese texts only with a GBK (code page 936) locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "install-deps: generating zh_CN.UTF-8"
  as_root sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  as_root locale-gen >/dev/null
fi

# libjpeg-turbo for the MinGW targets: Debian ships no Windows build, so build
# the static library from Debian's own source package, once per target.
# The installer only decodes, so the library is built small: optimised for
# size, every function and table in a section of its own, so that the
# installer's link (--gc-sections) drops what decoding never reaches, the
# compressor's SIMD code that the SIMD dispatcher names included; and no
# unwind tables, as no exception passes through C code.
jpeg_root=$build_root/deps
jpeg_options=(
  -DCMAKE_BUILD_TYPE=Release "-DCMAKE_C_FLAGS_RELEASE=-Os -DNDEBUG"
  "-DCMAKE_C_FLAGS=-ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables -D__USE_MINGW_ANSI_STDIO=0"
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON
  -DWITH_JPEG8=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
)
# A library built with other options is built again.
jpeg_stamp="${jpeg_options[*]}"
need_jpeg=0
for arch in i686 x86_64; do
  [ -f "$jpeg_root/libjpeg-$arch/lib/libjpeg.a" ] &&
    [ "$(cat "$jpeg_root/libjpeg-$arch/options" 2>/dev/null)" = "$jpeg_stamp" ] || need_jpeg=1
done
if [ $need_jpeg = 1 ]; then
  src_dir=$jpeg_root/src
  mkdir -p "$src_dir"
  tarball=$(ls "$src_dir"/libjpeg-turbo_*.orig.tar.gz 2>/dev/null | head -n 1 || true)
  if [ -z "$tarball" ]; then
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/; then
      echo "install-deps: adding a deb-src entry"
      sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
        | as_root tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
      as_root apt-get update -qq
    fi
    (cd "$src_dir" && apt-get source --download-only -qq libjpeg-turbo >/dev/null)
    tarball=$(ls "$src_dir"/libjpeg-turbo_*.orig.tar.gz | head -n 1)
  fi
  rm -rf "$src_dir/libjpeg-turbo"
  mkdir -p "$src_dir/libjpeg-turbo"
  tar -xzf "$tarball" -C "$src_dir/libjpeg-turbo" --strip-components=1
  for arch in i686 x86_64; do
    [ -f "$jpeg_root/libjpeg-$arch/lib/libjpeg.a" ] &&
      [ "$(cat "$jpeg_root/libjpeg-$arch/options" 2>/dev/null)" = "$jpeg_stamp" ] && continue
    echo "install-deps: building libjpeg-turbo for $arch-w64-mingw32"
    rm -rf "$jpeg_root/build-$arch" "$jpeg_root/libjpeg-$arch"
    cmake -S "$src_dir/libjpeg-turbo" -B "$jpeg_root/build-$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchain-$arch-mingw.cmake" \
      -DCMAKE_INSTALL_PREFIX="$jpeg_root/libjpeg-$arch" "${jpeg_options[@]}" >/dev/null
    cmake --build "$jpeg_root/build-$arch" --target jpeg-static >/dev/null
    # Only the static library and its headers are needed.
    mkdir -p "$jpeg_root/libjpeg-$arch/lib" "$jpeg_root/libjpeg-$arch/include"
    cp "$jpeg_root/build-$arch/libjpeg.a" "$jpeg_root/libjpeg-$arch/lib/"
    cp "$src_dir/libjpeg-turbo/jpeglib.h" "$src_dir/libjpeg-turbo/jmorecfg.h" \
       "$src_dir/libjpeg-turbo/jerror.h" "$jpeg_root/build-$arch/jconfig.h" \
       "$jpeg_root/libjpeg-$arch/include/"
    echo "$jpeg_stamp" >"$jpeg_root/libjpeg-$arch/options"
  done
fi
echo "install-deps: all present"
