#!/usr/bin/env bash
# Figures of the plug-in under Wine (printed, never asserted): the answer's memory for a
# 60 MB picture, the capture's overhead after the picture-ready notice, and the capture
# dialog's live view. Native benchmarks: scripts/build.sh bench, then build/bench/bench/*.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ "${1:-}" = --runs ]; then # inside the Wine session
  bench() { scripts/wine-run build/win/bin/plugin_bench.exe "$@" && echo; }
  bench answer 60
  # A small JPEG, a 24-megapixel camera's JPEG and its RAW file.
  bench capture 0.5
  bench capture 8
  bench capture 40
  bench liveview 0
  bench liveview 90 mirror
  exit
fi

bash scripts/setup.sh
bash scripts/build.sh win
scripts/wine-session "$0" --runs
