#!/usr/bin/env bash
# Renders the looks the README shows into docs/ as PNGs, each cropped to its window:
# the capture dialog with live view, the settings dialog opened with its "..." button,
# the status window shown while a capture connects (the stand-in camera is made slow
# to open its session for that), the dialog in each of the plug-in's skins and a countdown
# in the Passport skin. Rerun it when a look changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
docs=$root/docs

if [ "${1:-}" = --shots ]; then # inside the Wine session
  # shellcheck source=scripts/wine-ui.sh
  . scripts/wine-ui.sh
  file=$(ui_windows_path "$root/build/capture/screenshots.jpg")
  capture() { # the host's capture in the background; the scenario from the environment
    scripts/wine-run build/win/bin/eoshost.exe --pair "File=$file" 1 >/dev/null 2>&1 &
  }

  EOS_SIM_SCENARIO="delay = EdsOpenSession 3000" capture
  status=$(ui_wait_window --class eoshost.exe) # its only window while it connects
  sleep 0.3
  ui_shoot "$status" "$docs/status-window.png"
  dialog=$(ui_wait_window --name '^Canon plugin EOS')
  ui_key "$dialog" Escape
  wait

  capture
  dialog=$(ui_wait_window --name '^Canon plugin EOS')
  sleep 1 # live view frames arrive every 100 ms
  ui_shoot "$dialog" "$docs/capture-dialog.png"
  ui_move_left "$dialog" 20
  ui_click "$dialog" 24 474 # the "..." settings button
  settings=$(ui_wait_window --name '^Inställningar$')
  sleep 0.3
  ui_shoot "$settings" "$docs/settings-dialog.png"
  ui_click "$settings" 193 427 # Avbryt (Cancel)
  sleep 0.5
  ui_click "$dialog" 581 474 # Cancel
  wait

  # The skins, chosen by the stored settings; the desktop shows where the mask cuts the
  # window away, so the shot is the screen's within the window's rectangle.
  key='HKCU\Software\Morvaken\CanonEosPlugin'
  for skin in Studio Passport; do
    wine reg add "$key" /v CameraSettings /d "Skin=$skin;" /f >/dev/null 2>&1
    capture
    dialog=$(ui_wait_window --name '^Canon plugin EOS')
    xdotool windowmove "$dialog" 40 20 # repaints the desktop around the shaped window
    sleep 1
    geometry=$(xwininfo -id "$dialog" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
      /Width:/ {w=$NF} /Height:/ {h=$NF} END {printf "%dx%d+%d+%d", w + 16, h + 16, x - 8, y - 8}')
    xwd -root -silent | /usr/bin/convert xwd:- -crop "$geometry" +repage png:"$docs/skin-$(tr 'A-Z' 'a-z' <<<"$skin").png"
    ui_key "$dialog" Escape
    wait
  done

  # The countdown in a skin: Enter starts it, the shot is taken two seconds in.
  wine reg add "$key" /v CameraSettings /d "Skin=Passport;Delay=5;" /f >/dev/null 2>&1
  capture
  dialog=$(ui_wait_window --name '^Canon plugin EOS')
  xdotool windowmove "$dialog" 40 20
  sleep 1
  ui_key "$dialog" Return
  sleep 2.3
  geometry=$(xwininfo -id "$dialog" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {printf "%dx%d+%d+%d", w + 16, h + 16, x - 8, y - 8}')
  xwd -root -silent | /usr/bin/convert xwd:- -crop "$geometry" +repage png:"$docs/skin-passport-countdown.png"
  wait # the countdown ends with the shot
  wine reg delete "$key" /v CameraSettings /f >/dev/null 2>&1
  ls -l "$docs"/*.png
  exit
fi

bash scripts/setup.sh
bash scripts/build.sh win
mkdir -p "$docs" build/capture
scripts/wine-session "$0" --shots
