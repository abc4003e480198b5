#!/usr/bin/env bash
# Configures and builds the build trees: "native" (clang, sanitizers, fuzzers),
# "win" (the i686 Windows DLL, tools and tests), "win64" (the same for x86_64) and "bench"
# (native, optimised). Usage: scripts/build.sh [native|win|win64|bench]...
# (default: native win win64)
# Warnings are errors, as in CI; EOS_WERROR=OFF turns that off for local experiments.
# EOS_TARGETS="a b" builds only those targets of each tree.
# A tree is configured only when it differs from what is asked here: an option of another
# value is set in its cache, which recompiles what the option changes (switching EOS_WERROR
# recompiles only the objects that warned); a tree made with another compiler, toolchain,
# generator or source folder is made anew.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
case ${EOS_WERROR:-ON} in
  ON | on | 1 | TRUE | true | YES | yes) werror=ON ;;
  OFF | off | 0 | FALSE | false | NO | no) werror=OFF ;;
  *) echo "EOS_WERROR is ON or OFF, not: $EOS_WERROR" >&2; exit 2 ;;
esac
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native win win64)

# Whether a tree's cache holds each NAME=VALUE.
cache_holds() { # build dir, NAME=VALUE...
  local dir=$1 setting
  shift
  for setting; do
    [ "$(sed -n "s|^${setting%%=*}:[A-Z]*=||p" "$dir/CMakeCache.txt")" = "${setting#*=}" ] || return 1
  done
}

for tree in "${trees[@]}"; do
  dir=$root/build/$tree
  # What the tree is made with, and the options its cache can change.
  case $tree in
    native)
      made=(CMAKE_C_COMPILER="$(command -v clang)" CMAKE_CXX_COMPILER="$(command -v clang++)")
      options=(CMAKE_BUILD_TYPE=Debug EOS_SANITIZE=ON EOS_FUZZ=ON) ;;
    win | win64)
      arch=i686
      [ "$tree" = win ] || arch=x86_64
      made=(CMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake")
      options=(CMAKE_BUILD_TYPE=RelWithDebInfo EOS_SANITIZE=OFF EOS_FUZZ=OFF) ;;
    bench)
      made=(CMAKE_C_COMPILER="$(command -v clang)" CMAKE_CXX_COMPILER="$(command -v clang++)")
      options=(CMAKE_BUILD_TYPE=Release EOS_SANITIZE=OFF EOS_FUZZ=OFF) ;;
    *) echo "unknown build tree: $tree" >&2; exit 2 ;;
  esac
  options+=("EOS_WERROR=$werror")

  if [ -f "$dir/CMakeCache.txt" ] &&
    ! cache_holds "$dir" CMAKE_HOME_DIRECTORY="$root" CMAKE_GENERATOR=Ninja "${made[@]}"; then
    echo "[build] $tree: made with another compiler, toolchain or source folder; making it anew"
    rm -rf "$dir"
  fi
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    echo "[build] $tree: configuring ${options[*]}"
    cmake -S "$root" -B "$dir" -G Ninja "${made[@]/#/-D}" "${options[@]/#/-D}" >/dev/null
  elif [ ! -f "$dir/build.ninja" ] || ! cache_holds "$dir" "${options[@]}"; then
    echo "[build] $tree: configuring again with ${options[*]}"
    cmake -S "$root" -B "$dir" "${options[@]/#/-D}" >/dev/null
  fi
  echo "[build] $tree"
  # shellcheck disable=SC2086 # a list of target names
  cmake --build "$dir" ${EOS_TARGETS:+--target $EOS_TARGETS}
done
