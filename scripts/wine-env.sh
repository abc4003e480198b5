# shellcheck shell=bash
# The Wine environment of the build tree, for every script that runs Wine: no debug output,
# neither Mono nor Gecko offered, and no debugger, so that a program that crashes ends at
# once with its fault instead of waiting in winedbg until a test's timeout (a value already
# set in the environment is kept), and a prefix and loader for each Windows architecture.
# Sourced, not run.
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}
eos_build_dir=${BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}

# Chooses the architecture (i686 or x86_64) that eos_wine and the Wine tools run: each has
# a prefix of its own, and its own loader. Debian's wine, wineboot and winepath start the
# 32-bit loader whenever it is installed, even on a machine that cannot run it.
wine_use_arch() { # arch
  case $1 in
    i686) export WINEARCH=win32 WINEPREFIX=$eos_build_dir/wineprefix WINELOADER=/usr/lib/wine/wine ;;
    x86_64) export WINEARCH=win64 WINEPREFIX=$eos_build_dir/wineprefix64 WINELOADER=/usr/lib/wine/wine64 ;;
    *) echo "no such Windows architecture: $1 (i686 or x86_64)" >&2; return 2 ;;
  esac
  export EOS_WINE_ARCH=$1
}

# Runs a Windows program, or a Wine tool (wineboot, winepath, reg...), with the chosen loader.
eos_wine() { "$WINELOADER" "$@"; }

# The architectures scripts/setup.sh found that this machine runs, one a line, i686 first.
wine_archs() { cat "$eos_build_dir/wine-archs" 2>/dev/null; }

# The build tree (below build/) of an architecture's Windows build.
wine_tree() { # arch
  case $1 in
    i686) echo win ;;
    x86_64) echo win64 ;;
  esac
}

# The architecture of a Windows program: the machine field of its PE header.
pe_arch() { # file
  local offset
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$offset" ] || return 1
  case $(od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' ') in
    014c) echo i686 ;;
    8664) echo x86_64 ;;
    *) return 1 ;;
  esac
}

# Without a choice in the environment: the first architecture the machine runs.
wine_use_arch "${EOS_WINE_ARCH:-$(wine_archs | head -1 | grep . || echo i686)}"
