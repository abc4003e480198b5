#!/usr/bin/env bash
# Every benchmark of the project, printed and never asserted: natively (optimised build
# tree "bench") the parameter text, Base64 into UTF-16, the stand-in's frames and shots,
# the live-view frame path and the face detector; under Wine the answer's memory for a
# 60 MB picture, the capture's overhead after the picture-ready notice, the capture
# dialog's live view at each frame rate with the face guide off and on, the way to the
# first frame, a camera that comes back and the face detector, with each Windows
# build this machine runs, side by side where their figures differ.
# Ends with each goal beside what was measured. The long day is scripts/long_day.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh

if [ "${1:-}" = --runs ]; then # inside the Wine session, with the build's bin folder
  bin=$2
  bench() { scripts/wine-run "$bin/plugin_bench.exe" "$@" && echo; }
  bench answer 60
  # A small JPEG, a 24-megapixel camera's JPEG and its RAW file.
  bench capture 0.5
  bench capture 8
  bench capture 40
  bench liveview 90 mirror
  # The dialog's frame rates against the stand-in making 30 frames a second, with the
  # guide off and on (a face in view), and the way to the first frame.
  photo=$(eos_wine winepath -w build/third_party/src/dlib/examples/faces/Tom_Cruise_avp_2014_4.jpg)
  for rate in 10 15 20 30; do
    bench liveview 0 rate $rate
    bench liveview 0 face "$photo" rate $rate
  done
  bench firstframe 20
  bench reconnect 100
  echo "[bench] face_win_bench (Wine)"
  scripts/wine-run "$bin/face_win_bench.exe"
  exit
fi

bash scripts/setup.sh
mapfile -t archs < <(wine_archs)
trees=()
for arch in "${archs[@]}"; do trees+=("$(wine_tree "$arch")"); done
bash scripts/build.sh bench "${trees[@]}"
log=$(mktemp)
work=$(mktemp -d)
trap 'rm -rf "$log" "$work"' EXIT
{
  for b in paramtext_bench base64_bench sim_bench; do
    echo "[bench] $b"
    build/bench/bench/$b --benchmark_min_time=0.2 --benchmark_color=false
    echo
  done
  echo "[bench] imaging_bench"
  build/bench/bench/imaging_bench
  echo
  echo "[bench] face_bench"
  build/bench/bench/face_bench
  echo
  echo "[bench] plugin_bench (Wine: ${archs[*]})"
  for i in "${!archs[@]}"; do
    EOS_WINE_ARCH=${archs[i]} scripts/wine-session "$0" --runs "build/${trees[i]}/bin" >"$work/${archs[i]}" 2>&1
  done
  if [ ${#archs[@]} = 2 ]; then
    # The two runs print the same lines in the same order: a line whose figures differ is
    # shown once for each build, one above the other.
    awk 'NR == FNR { a[FNR] = $0; next }
      a[FNR] == $0 { print; next }
      { print "[i686]   " a[FNR]; print "[x86_64] " $0 }' "$work/i686" "$work/x86_64"
  elif [ ${#archs[@]} = 1 ]; then
    cat "$work/${archs[0]}"
  fi
} 2>&1 | tee "$log"
echo "== goals and what was measured"
grep -E '\(goal|goal [0-9]|x goal' "$log" || true
