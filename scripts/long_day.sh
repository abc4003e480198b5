#!/usr/bin/env bash
# The long day in one host process under Wine: 1,000 captures against the stand-in camera
# with pictures of a camera's size, then 100 unloads and loads of the plug-in with a
# capture each; prints what the process holds (GDI and USER objects, handles, threads,
# private bytes) at the start and the end, with the first Windows build this machine runs.
# Usage: scripts/long_day.sh [CAPTURES [RELOADS]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
arch=$(wine_archs | head -1)
tree=$(wine_tree "$arch")
bash scripts/build.sh "$tree"
EOS_WINE_ARCH=$arch scripts/wine-session scripts/wine-run "build/$tree/bin/long_day.exe" "$@"
