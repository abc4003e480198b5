#!/usr/bin/env bash
# The main job on a fresh Debian 12 machine (as root): set up, build the plug-in, then
# take pictures with it through the host tool against the stand-in camera, as a host
# application would: one automatic capture (command 11) and one through the dialog
# (command 1), pictured on screen while it waits and then confirmed with Enter. The
# 32-bit build takes them where this machine runs 32-bit programs, the 64-bit one otherwise
# (EOS_ARCHS, as for scripts/setup.sh, chooses).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
out=$root/build/capture

if [ "${1:-}" = --calls ]; then # inside the Wine session, with the build's bin folder
  bin=$2
  # shellcheck source=scripts/wine-ui.sh
  . scripts/wine-ui.sh
  host() {
    echo "\$ eoshost $*"
    scripts/wine-run "$bin/eoshost.exe" "$@"
    echo
  }
  host 98
  host --pair "File=$(ui_windows_path "$out/picture.jpg")" 11

  echo "\$ eoshost --pair File=... 1    (the dialog waits for \"Take picture\"; Enter is pressed)"
  scripts/wine-run "$bin/eoshost.exe" --pair "File=$(ui_windows_path "$out/dialog-picture.jpg")" 1 \
    >"$out/dialog-answer.txt" 2>&1 &
  run=$!
  if window=$(ui_wait_window --name '^Canon plugin EOS'); then
    sleep 1 # live view frames arrive every 100 ms
    ui_shoot "$window" "$out/dialog.png"
    ui_key "$window" Return
  else
    # Say what was on the screen instead, and end the host rather than wait for it.
    echo "the capture dialog did not show; the windows shown:"
    xdotool search --onlyvisible --name . 2>/dev/null | while read -r w; do echo "  $(xdotool getwindowname "$w")"; done
    kill "$run"
  fi
  status=0
  wait $run || status=$?
  cat "$out/dialog-answer.txt"
  echo
  echo "picture (command 11): $out/picture.jpg"
  echo "picture (command 1):  $out/dialog-picture.jpg"
  echo "screenshot of the capture dialog: $out/dialog.png"
  [ -s "$out/picture.jpg" ] && [ -s "$out/dialog-picture.jpg" ] && [ -s "$out/dialog.png" ] && [ $status = 0 ]
  exit
fi

bash scripts/setup.sh
# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
arch=$(wine_archs | head -1)
[ -n "$arch" ] || { echo "[main] this machine runs no Windows programs: no pictures can be taken" >&2; exit 1; }
tree=$(wine_tree "$arch")
bash scripts/build.sh "$tree"
echo "[main] the pictures are taken with the $arch build (build/$tree)"
rm -rf "$out"
mkdir -p "$out"
EOS_WINE_ARCH=$arch scripts/wine-session "$0" --calls "build/$tree/bin"
