#!/usr/bin/env bash
# Prepares a Debian 12 machine (as root) to build and test the plug-in:
# system packages, static i686 and x86_64 builds of libjpeg-turbo and libpng, dlib's
# source tree and its 5-point face model, Free Pascal for Win32 and Win64 (the Pascal
# host), and a Wine prefix for each Windows architecture this machine runs. Which those
# are is found out by running a tiny program of each, said in one line and written to
# build/wine-archs; EOS_ARCHS ("i686", "x86_64" or both) narrows it, to try one path on
# any machine. A second run finds everything built and returns after the check.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
third=$build/third_party
# shellcheck source=scripts/wine-env.sh
. "$root/scripts/wine-env.sh"

packages=(cmake ninja-build nasm g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  libz-mingw-w64-dev googletest wine wine32:i386 wine64 fonts-wine xvfb xauth
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

# The static libraries of one architecture go to $third/ARCH, built with the project's
# toolchain file for it.
build_libjpeg() { # arch
  local prefix=$third/$1
  [ -f "$prefix/lib/libjpeg.a" ] && return 0
  log "cross-building libjpeg-turbo for $1"
  fetch_source libjpeg-turbo "$third/src/libjpeg-turbo"
  cmake -S "$third/src/libjpeg-turbo" -B "$third/build/$1/libjpeg-turbo" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$1.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DREQUIRE_SIMD=ON -DWITH_JPEG8=OFF >/dev/null
  cmake --build "$third/build/$1/libjpeg-turbo" --target install >/dev/null
}

build_libpng() { # arch
  local prefix=$third/$1
  [ -f "$prefix/lib/libpng.a" ] && return 0
  log "cross-building libpng for $1"
  fetch_source libpng1.6 "$third/src/libpng"
  cmake -S "$third/src/libpng" -B "$third/build/$1/libpng" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$1.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
    -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_TOOLS=OFF \
    -DZLIB_LIBRARY="/usr/$1-w64-mingw32/lib/libz.a" \
    -DZLIB_INCLUDE_DIR="/usr/$1-w64-mingw32/include" >/dev/null
  cmake --build "$third/build/$1/libpng" --target install >/dev/null
}

# A step's output goes to a log, shown when the step fails.
fpc_step() { # log file, command...
  local step_log=$1
  shift
  "$@" >>"$step_log" 2>&1 || { tail -20 "$step_log" >&2; log "failed: see $step_log"; exit 1; }
}

# The runtime units a program without SysUtils needs, for one Windows target: compiler,
# units folder, log, then the target's options and its system unit folder (win32, win64).
# No configuration file (-n): Debian's is for the native compiler.
build_fpc_units() { # compiler, units, log, target, cpu, rtl folder, sysinit unit
  local fpc=$1 units=$2 step_log=$3 r=$src/rtl
  local rtl=("$fpc" -n -T"$4" -P"$5" -O2 -Sg -FU"$units" -Fu"$units" -Fi"$r/inc" -Fi"$r/$5" -Fi"$r/x86"
    -Fi"$r/win" -Fi"$r/$6")
  fpc_step "$step_log" "${rtl[@]}" -Us "$r/$6/system.pp"
  fpc_step "$step_log" "${rtl[@]}" -Fi"$r/objpas" "$r/objpas/objpas.pp"
  fpc_step "$step_log" "${rtl[@]}" "$r/inc/fpintres.pp"
  fpc_step "$step_log" "${rtl[@]}" "$r/$6/$7.pp"
}

# Debian ships Free Pascal for this machine and the compiler's sources, not a compiler for
# 32-bit Windows: the i386-win32 cross compiler is built from the sources (the message
# tables first, made by the compiler's own msg2inc), then its runtime units.
build_fpc_win32() {
  local out=$third/fpc-win32
  [ -x "$out/ppcross386" ] && [ -f "$out/units/sysinitpas.ppu" ] && return 0
  local msg start=$SECONDS
  msg=$(dirname "$(readlink -f "$(fpc -PB)")")/msg/errore.msg
  log "building the Free Pascal $version i386-win32 cross compiler"
  local work=$out.tmp fpc_log=$third/fpc-win32.log
  rm -rf "$work" "$out"
  mkdir -p "$work/msg" "$work/compiler" "$work/units"
  : >"$fpc_log"
  local c=$src/compiler
  fpc_step "$fpc_log" fpc -O2 -FE"$work/msg" -FU"$work/msg" "$c/utils/msg2inc.pp"
  fpc_step "$fpc_log" "$work/msg/msg2inc" "$msg" "$work/msg/msg" msg
  fpc_step "$fpc_log" fpc -O2 -Sg -di386 -dGDB -dBROWSERLOG -Fu"$c" -Fu"$c/i386" -Fu"$c/x86" \
    -Fu"$c/systems" -Fi"$work/msg" -Fi"$c" -Fi"$c/i386" -Fi"$c/x86" -FU"$work/compiler" -FE"$work" \
    -o"$work/ppcross386" "$c/pp.pas"
  build_fpc_units "$work/ppcross386" "$work/units" "$fpc_log" win32 i386 win32 sysinitpas
  rm -rf "$work/msg" "$work/compiler"
  mv "$work" "$out"
  log "Free Pascal $version for i386-win32 built in $((SECONDS - start)) s"
}

# Debian's own x86_64 compiler targets Win64 as it stands: only its runtime units are built.
build_fpc_win64() {
  local out=$third/fpc-win64
  [ -f "$out/units/sysinit.ppu" ] && return 0
  log "building the Free Pascal $version runtime units for x86_64-win64"
  local work=$out.tmp fpc_log=$third/fpc-win64.log
  rm -rf "$work" "$out"
  mkdir -p "$work/units"
  : >"$fpc_log"
  build_fpc_units "$(command -v ppcx64)" "$work/units" "$fpc_log" win64 x86_64 win64 sysinit
  mv "$work" "$out"
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

# Makes the prefix of the architecture wine_use_arch chose; fails, leaving none, where
# this machine cannot start that Wine.
prepare_wine() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  eos_wine --version </dev/null >/dev/null 2>&1 || return 1
  log "creating the Wine prefix $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  eos_wine wineboot -i </dev/null >/dev/null 2>&1 || true
  wineserver -w </dev/null >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    rm -rf "$WINEPREFIX"
    return 1
  fi
  # A virtual desktop gives windows a frame for screenshots.
  eos_wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
  eos_wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
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

# Whether this machine runs Windows programs of the architecture: a program that answers
# its pointer size as its exit code, run in the architecture's prefix. Names say nothing:
# on a kernel without 32-bit emulation the 32-bit Wine is installed and cannot start.
runs_arch() { # arch
  local probe=$build/arch-probe/$1.exe size=4
  [ "$1" = x86_64 ] && size=8
  mkdir -p "$build/arch-probe"
  [ -f "$probe" ] || printf 'int main(void) { return (int)sizeof(void *); }\n' |
    "$1-w64-mingw32-gcc-posix" -x c - -static -o "$probe"
  wine_use_arch "$1"
  prepare_wine || return 1
  install_wine_fonts
  local status=0
  eos_wine "$probe" </dev/null >/dev/null 2>&1 || status=$?
  wineserver -k </dev/null >/dev/null 2>&1 || true
  [ "$status" = "$size" ]
}

# Finds the architectures this machine runs, narrows them by EOS_ARCHS, writes those to
# build/wine-archs and says in one line what is compiled and what is run.
choose_archs() {
  local arch machine=() chosen=()
  for arch in i686 x86_64; do
    if runs_arch "$arch"; then machine+=("$arch"); fi
  done
  for arch in "${machine[@]}"; do
    case " ${EOS_ARCHS:-i686 x86_64} " in *" $arch "*) chosen+=("$arch") ;; esac
  done
  printf '%s\n' "${chosen[@]}" >"$build/wine-archs"
  local can
  case "${machine[*]}" in
    "i686 x86_64") can="this machine runs 32-bit and 64-bit Windows programs" ;;
    x86_64) can="this machine runs 64-bit programs only" ;;
    i686) can="this machine runs 32-bit Windows programs only" ;;
    *) can="this machine runs no Windows programs" ;;
  esac
  local said=${EOS_ARCHS:+, EOS_ARCHS=$EOS_ARCHS}
  case "${chosen[*]}" in
    "i686 x86_64") log "$can$said: both builds are compiled and run" ;;
    x86_64) log "$can$said: the 32-bit build is compiled, not run" ;;
    i686) log "$can$said: the 64-bit build is compiled, not run" ;;
    *) log "$can$said: the Windows builds are compiled, not run" ;;
  esac
}

install_packages
version=$(fpc -iV)
src=/usr/share/fpcsrc/$version
mkdir -p "$third/src"
for arch in i686 x86_64; do
  build_libjpeg "$arch"
  build_libpng "$arch"
done
build_fpc_win32
build_fpc_win64
fetch_dlib
choose_archs
log "ready: build tree $build"
