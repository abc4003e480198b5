#!/usr/bin/env bash
# Configures and builds the build trees: "native" (clang, sanitizers, fuzzers),
# "win" (the i686 Windows DLL, tools and tests) and "bench" (native, optimised).
# Usage: scripts/build.sh [native|win|bench]...   (default: native win)
# EOS_TARGETS="a b" builds only those targets of each tree.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
werror=${EOS_WERROR:-OFF}
trees=("$@")
[ ${#trees[@]} -gt 0 ] || trees=(native win)

for tree in "${trees[@]}"; do
  dir=$root/build/$tree
  case $tree in
    native)
      [ -f "$dir/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=Debug -DEOS_SANITIZE=ON -DEOS_FUZZ=ON >/dev/null ;;
    win)
      [ -f "$dir/CMakeCache.txt" ] || cmake -S "$root" -B "$dir" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ;;
    bench)
      [ -f "$dir/CMakeCache.txt" ] || CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release >/dev/null ;;
    *) echo "unknown build tree: $tree" >&2; exit 2 ;;
  esac
  cmake "$dir" -DEOS_WERROR="$werror" >/dev/null
  echo "[build] $tree"
  # shellcheck disable=SC2086 # a list of target names
  cmake --build "$dir" ${EOS_TARGETS:+--target $EOS_TARGETS}
done
