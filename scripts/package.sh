#!/usr/bin/env bash
# Builds both Windows trees and packs each one's deployable folder into a ZIP:
# build/win/CanonEosPlugin-VERSION-win32.zip for 32-bit hosts and
# build/win64/CanonEosPlugin-VERSION-win64.zip for 64-bit ones, then lists what each holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh win win64
for tree in win:win32 win64:win64; do
  dir=build/${tree%%:*}
  (cd "$dir" && cpack -G ZIP >/dev/null)
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
  zip=$dir/CanonEosPlugin-$version-${tree#*:}.zip
  unzip -l "$zip"
  echo "package: $zip"
done
