#!/usr/bin/env bash
# The long day in one host process under Wine: 1,000 captures against the stand-in camera
# with pictures of a camera's size, then 100 unloads and loads of the plug-in with a
# capture each; prints what the process holds (GDI and USER objects, handles, threads,
# private bytes) at the start and the end. Usage: scripts/long_day.sh [CAPTURES [RELOADS]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
bash scripts/build.sh win
scripts/wine-session scripts/wine-run build/win/bin/long_day.exe "$@"
