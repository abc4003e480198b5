#!/usr/bin/env bash
# The main job on a fresh Debian 12 machine (as root): set up, build the plug-in and
# call it through the host tool, as a host application would.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ "${1:-}" = --calls ]; then  # inside the Wine session
  host() {
    echo "\$ eoshost $*"
    scripts/wine-run build/win/bin/eoshost.exe "$@"
    echo
  }
  host 98
  host 99 "Hello from the host"
  exit 0
fi

bash scripts/setup.sh
bash scripts/build.sh win
scripts/wine-session "$0" --calls
