#!/usr/bin/env bash
# Builds the Windows tree and packs the deployable folder into
# build/win/CanonEosPlugin-VERSION-win32.zip, then lists what the ZIP holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh win
(cd build/win && cpack -G ZIP >/dev/null)
zip=$(ls -t build/win/CanonEosPlugin-*-win32.zip | head -1)
unzip -l "$zip"
echo "package: $zip"
