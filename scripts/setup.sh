#!/usr/bin/env bash
# Prepares a Debian 12 machine (as root) to build and test the plug-in:
# system packages, static i686 builds of libjpeg-turbo and libpng, dlib's source
# tree and its 5-point face model, a Free Pascal cross compiler for the Pascal host,
# and the Wine prefix of the build tree. A second
# run finds everything and returns.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
third=$build/third_party
prefix=$third/i686
# shellcheck source=scripts/wine-env.sh
. "$root/scripts/wine-env.sh"

packages=(cmake ninja-build nasm g++-mingw-w64-i686-posix mingw-w64-tools
  libz-mingw-w64-dev googletest wine wine32:i386 fonts-wine xvfb xauth
  x11-apps x11-utils xdotool imagemagick libjpeg62-turbo-dev libpng-dev libbenchmark-dev
  clang libclang-rt-14-dev dpkg-dev file unzip python3 fp-compiler fpc-source)

log() { printf '[setup] %s\n' "$*"; }

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
      echo "$p"
  done
}

ensure_sources() {
  local changed=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    changed=1
  fi
  local src=/etc/apt/sources.list.d/eos-plugin-src.sources
  if [ ! -f "$src" ]; then
    # Source packages come from the same mirror as the binary ones.
    local uri
    uri=$(grep -h -m1 '^URIs:' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
      awk '{print $2}')
    [ -n "$uri" ] || uri=http://deb.debian.org/debian
    printf 'Types: deb-src\nURIs: %s\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$uri" >"$src"
    changed=1
  fi
  echo $changed
}

install_packages() {
  local changed missing
  changed=$(ensure_sources)
  missing=$(missing_packages)
  if [ -n "$missing" ] || [ "$changed" = 1 ]; then
    log "installing: ${missing//$'\n'/ }"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    [ -z "$missing" ] || apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
}

toolchain=$root/cmake/mingw-i686.cmake

fetch_source() { # package, destination directory
  local pkg=$1 dest=$2
  [ -d "$dest" ] && return 0
  local tmp
  tmp=$(mktemp -d "$third/src.XXXX")
  (cd "$tmp" && apt-get source -qq --download-only "$pkg" >/dev/null &&
    dpkg-source -q --no-check -x ./*.dsc unpacked >/dev/null 2>&1)
  mv "$tmp/unpacked" "$dest"
  rm -rf "$tmp"
}

build_libjpeg() {
  [ -f "$prefix/lib/libjpeg.a" ] && return 0
  log "cross-building libjpeg-turbo"
  fetch_source libjpeg-turbo "$third/src/libjpeg-turbo"
  cmake -S "$third/src/libjpeg-turbo" -B "$third/build/libjpeg-turbo" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON -DWITH_JPEG8=OFF >/dev/null
  cmake --build "$third/build/libjpeg-turbo" --target install >/dev/null
}

build_libpng() {
  [ -f "$prefix/lib/libpng.a" ] && return 0
  log "cross-building libpng"
  fetch_source libpng1.6 "$third/src/libpng"
  cmake -S "$third/src/libpng" -B "$third/build/libpng" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
    -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF \
    -DZLIB_LIBRARY=/usr/i686-w64-mingw32/lib/libz.a \
    -DZLIB_INCLUDE_DIR=/usr/i686-w64-mingw32/include >/dev/null
  cmake --build "$third/build/libpng" --target install >/dev/null
}

# Debian ships Free Pascal for this machine and the compiler's sources, not a compiler for
# Windows: the i386-win32 cross compiler is built from the sources (the message tables
# first, made by the compiler's own msg2inc), then the runtime units a program without
# SysUtils needs. The cross compiler reads no configuration file (-n): Debian's is for
# the native compiler. A step's output goes to a log, shown when the step fails.
build_fpc_win32() {
  local out=$third/fpc-win32
  [ -x "$out/ppcross386" ] && [ -f "$out/units/sysinitpas.ppu" ] && return 0
  local version src msg start=$SECONDS
  version=$(fpc -iV)
  src=/usr/share/fpcsrc/$version
  msg=$(dirname "$(readlink -f "$(fpc -PB)")")/msg/errore.msg
  log "building the Free Pascal $version i386-win32 cross compiler"
  local work=$out.tmp fpc_log=$third/fpc-win32.log
  rm -rf "$work" "$out"
  mkdir -p "$work/msg" "$work/compiler" "$work/units"
  : >"$fpc_log"
  fpc_step() {
    "$@" >>"$fpc_log" 2>&1 || { tail -20 "$fpc_log" >&2; log "failed: see $fpc_log"; exit 1; }
  }
  local c=$src/compiler r=$src/rtl
  fpc_step fpc -O2 -FE"$work/msg" -FU"$work/msg" "$c/utils/msg2inc.pp"
  fpc_step "$work/msg/msg2inc" "$msg" "$work/msg/msg" msg
  fpc_step fpc -O2 -Sg -di386 -dGDB -dBROWSERLOG -Fu"$c" -Fu"$c/i386" -Fu"$c/x86" -Fu"$c/systems" \
    -Fi"$work/msg" -Fi"$c" -Fi"$c/i386" -Fi"$c/x86" -FU"$work/compiler" -FE"$work" -o"$work/ppcross386" \
    "$c/pp.pas"
  local rtl=("$work/ppcross386" -n -Twin32 -Pi386 -O2 -FU"$work/units" -Fu"$work/units" -Fi"$r/inc"
    -Fi"$r/i386" -Fi"$r/x86" -Fi"$r/win" -Fi"$r/win32")
  fpc_step "${rtl[@]}" -Us -Sg "$r/win32/system.pp"
  fpc_step "${rtl[@]}" -Fi"$r/objpas" "$r/objpas/objpas.pp"
  fpc_step "${rtl[@]}" "$r/inc/fpintres.pp"
  fpc_step "${rtl[@]}" "$r/win32/sysinitpas.pp"
  rm -rf "$work/msg" "$work/compiler"
  mv "$work" "$out"
  log "Free Pascal $version for i386-win32 built in $((SECONDS - start)) s"
}

# dlib is compiled by the project's CMake files from this tree (only the few files the
# face detector needs); the models tarball of the source package gives the 5-point
# landmark model and its licence, and the source its test photos (examples/faces).
# The other models, about 240 MB, are not kept.
fetch_dlib() {
  local models=$third/dlib-models model=shape_predictor_5_face_landmarks.dat
  [ -d "$third/src/dlib" ] && [ -f "$models/$model" ] && return 0
  log "fetching dlib's source and its 5-point face model"
  rm -rf "$third/src/dlib" "$models"
  fetch_source dlib "$third/src/dlib"
  local shipped
  shipped=$(find "$third/src/dlib" -maxdepth 1 -type d -name 'dlib-models*' | head -1)
  [ -n "$shipped" ] || { log "dlib's source package has no models folder"; return 1; }
  mkdir -p "$models"
  # Upstream ships the models bz2-compressed; Debian's tarball has them unpacked.
  if [ -f "$shipped/$model.bz2" ]; then
    bunzip2 -c "$shipped/$model.bz2" >"$models/$model"
  else
    mv "$shipped/$model" "$models/$model"
  fi
  mv "$shipped/LICENSE" "$shipped/README.md" "$models/"
  rm -rf "$shipped"
}

prepare_wine() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  log "creating the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  # A virtual desktop gives windows a frame for screenshots.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
  wineserver -w </dev/null >/dev/null 2>&1 || true
}

# This Wine does not load the fonts of its shared folder: without copies in the prefix,
# caption buttons (Marlett) and Tahoma have no faces and draw as letters.
install_wine_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -f "$fonts/marlett.ttf" ] && return 0
  log "copying Wine's fonts into the prefix"
  mkdir -p "$fonts"
  cp /usr/share/wine/fonts/* "$fonts/"
}

install_packages
mkdir -p "$third/src" "$prefix"
build_libjpeg
build_libpng
build_fpc_win32
fetch_dlib
prepare_wine
install_wine_fonts
log "ready: build tree $build"
