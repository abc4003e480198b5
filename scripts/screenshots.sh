#!/usr/bin/env bash
# Renders the looks the README shows into docs/ as PNGs, each cropped to its window:
# the capture dialog with live view, the settings dialog opened with its "..." button,
# the status window shown while a capture connects (the stand-in camera is made slow
# to open its session for that), a camera pulled and back, the ID-photo guide, the dialog
# in each of the plug-in's skins and a countdown in the Passport skin, which shows a camera
# on its side (the view turned by 90 degrees), and a taken picture the check fails, kept
# back for the operator's choice. Rerun it when a look changes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
docs=$root/docs

# Pixelates a rectangle of a shot in blocks of 12 pixels, keeping the guide's own lines
# (its green, its yellow and the face's white) and the green words over the view: the
# README shows what the dialog draws, not the person in the test photo.
veil() { # file, "W H X Y"
  local w h x y
  read -r w h x y <<<"$2"
  /usr/bin/convert "$1" \( +clone -crop "${w}x${h}+${x}+${y}" +repage \
    -scale "$((w / 12))x$((h / 12))!" -scale "${w}x${h}!" \) -geometry "+${x}+${y}" -composite \
    \( "$1" -fuzz 4% -fill white -opaque "rgb(40,220,80)" -opaque "rgb(255,200,0)" -opaque "rgb(0,160,0)" \
    -fuzz 0 -fill black +opaque white \) "$1" -swap 1,2 -composite "$1"
}

if [ "${1:-}" = --shots ]; then # inside the Wine session
  # shellcheck source=scripts/wine-ui.sh
  . scripts/wine-ui.sh
  tree=$(wine_tree "$EOS_WINE_ARCH")
  file=$(ui_windows_path "$root/build/capture/screenshots.jpg")
  capture() { # the host's capture in the background; the scenario from the environment
    scripts/wine-run "build/$tree/bin/eoshost.exe" --pair "File=$file" 1 >/dev/null 2>&1 &
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
  ui_click "$settings" 193 465 # Avbryt (Cancel)
  sleep 0.5
  ui_click "$dialog" 581 474 # Cancel
  wait

  # The camera pulled after a second of live view and back three seconds later: the
  # words while it is gone, then the live view again.
  EOS_SIM_SCENARIO="unplug = after EdsDownloadEvfImage 10 back after 3000" capture
  dialog=$(ui_wait_window --name '^Canon plugin EOS')
  sleep 2
  ui_shoot "$dialog" "$docs/camera-gone.png"
  sleep 4
  ui_shoot "$dialog" "$docs/camera-back.png"
  ui_key "$dialog" Escape
  wait

  # The ID-photo guide on dlib's test photo: no face (the stand-in's own scene), a face
  # too small, a framed one; then framed in the Passport skin with the camera on its side,
  # the photo turned back a quarter in the camera's frame so that the turned view shows
  # it upright, and larger, as the taller crop asks.
  photo="live_view_picture = $(ui_windows_path "$root/build/third_party/src/dlib/examples/faces/Tom_Cruise_avp_2014_4.jpg")"
  key='HKCU\Software\Morvaken\CanonEosPlugin'
  guide() { # settings, scenario, file, [the photo's place in the shot, as W H X Y]
    eos_wine reg add "$key" /v CameraSettings /d "$1" /f >/dev/null 2>&1
    EOS_SIM_SCENARIO=$2 capture
    dialog=$(ui_wait_window --name '^Canon plugin EOS')
    xdotool windowmove "$dialog" 40 20
    sleep 3 # the face model is read meanwhile
    ui_shoot_screen "$dialog" "$docs/$3"
    ui_key "$dialog" Escape
    wait
    if [ $# -gt 3 ]; then veil "$docs/$3" "$4"; fi
  }
  guide "FaceGuide=1;" "" face-none.png
  guide "FaceGuide=1;" "$photo
subject = 0.5 0.55 0.6" face-closer.png "180 248 234 140"
  guide "FaceGuide=1;" "$photo
subject = 0.5 0.46 0.95 -4" face-framed.png "312 364 168 44"
  guide "FaceGuide=1;Skin=Passport;Angle=90;" "$photo
subject = 0.4657 0.5 1.2214 -94" face-framed-passport.png "276 396 94 128"
  eos_wine reg delete "$key" /v CameraSettings /f >/dev/null 2>&1

  # A picture the check fails, kept back for the operator's choice: the face framed, but
  # two stops too dark.
  EOS_SIM_SCENARIO="$photo
subject = 0.5 0.46 0.95 -4
exposure = -2" scripts/wine-run "build/$tree/bin/eoshost.exe" --pair "File=$file" --pair CheckRetake=1 1 \
    >/dev/null 2>&1 &
  dialog=$(ui_wait_window --name '^Canon plugin EOS')
  xdotool windowmove "$dialog" 40 20
  sleep 3 # the face model is read meanwhile
  ui_key "$dialog" Return
  sleep 4 # the shot, its download and its check
  ui_shoot_screen "$dialog" "$docs/check-review.png"
  ui_key "$dialog" Escape
  wait
  veil "$docs/check-review.png" "312 364 168 44"

  # The skins, chosen by the stored settings; the desktop shows where the mask cuts the
  # window away, so the shot is the screen's within the window's rectangle.
  for skin in Studio Passport; do
    settings="Skin=$skin;"
    if [ $skin = Passport ]; then settings+="Angle=90;"; fi
    eos_wine reg add "$key" /v CameraSettings /d "$settings" /f >/dev/null 2>&1
    capture
    dialog=$(ui_wait_window --name '^Canon plugin EOS')
    xdotool windowmove "$dialog" 40 20 # repaints the desktop around the shaped window
    sleep 1
    ui_shoot_screen "$dialog" "$docs/skin-${skin,,}.png"
    ui_key "$dialog" Escape
    wait
  done

  # The countdown in a skin: Enter starts it, the shot is taken two seconds in.
  eos_wine reg add "$key" /v CameraSettings /d "Skin=Passport;Angle=90;Delay=5;" /f >/dev/null 2>&1
  capture
  dialog=$(ui_wait_window --name '^Canon plugin EOS')
  xdotool windowmove "$dialog" 40 20
  sleep 1
  ui_key "$dialog" Return
  sleep 2.3
  ui_shoot_screen "$dialog" "$docs/skin-passport-countdown.png"
  wait # the countdown ends with the shot
  eos_wine reg delete "$key" /v CameraSettings /f >/dev/null 2>&1
  ls -l "$docs"/*.png
  exit
fi

bash scripts/setup.sh
# shellcheck source=scripts/wine-env.sh
. scripts/wine-env.sh
arch=$(wine_archs | head -1)
bash scripts/build.sh "$(wine_tree "$arch")"
mkdir -p "$docs" build/capture
EOS_WINE_ARCH=$arch scripts/wine-session "$0" --shots
