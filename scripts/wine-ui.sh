# shellcheck shell=bash
# Helpers for scripts that work the plug-in's windows from outside inside a Wine session
# (scripts/wine-session): find a window by its title, picture it, press its keys and
# buttons. Sourced, not run.
# shellcheck source=scripts/wine-env.sh
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# The X window of the first visible window that xdotool's search criteria find
# (--name REGEX, --class PROGRAM), waiting up to 20 s for it; fails when none shows.
ui_wait_window() {
  timeout 20 xdotool search --sync --onlyvisible "$@" 2>/dev/null | head -1 | grep .
}

# Writes the window, frame and caption included, to a PNG file.
ui_shoot() { # window, file
  mkdir -p "$(dirname "$2")"
  xwd -id "$1" -silent | /usr/bin/convert xwd:- png:"$2"
}

# Writes the screen within the window's rectangle and 8 pixels around it to a PNG file:
# for a shaped window, whose cut-away parts show the desktop.
ui_shoot_screen() { # window, file
  local geometry
  geometry=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {printf "%dx%d+%d+%d", w + 16, h + 16, x - 8, y - 8}')
  mkdir -p "$(dirname "$2")"
  xwd -root -silent | /usr/bin/convert xwd:- -crop "$geometry" +repage png:"$2"
}

# Presses a key (an X key name such as Return or Escape) in the window.
ui_key() { # window, key
  xdotool windowfocus "$1" key "$2"
}

# Clicks at a point given in the window's own coordinates (frame included).
ui_click() { # window, x, y
  local left top
  left=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $NF}')
  top=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $NF}')
  xdotool mousemove $((left + $2)) $((top + $3)) click 1
}

# Drags the window by its caption so its left edge lands at x (the settings dialog
# opens beside the capture dialog and must fit on the 1024-wide desktop).
ui_move_left() { # window, x
  local left top
  left=$(xwininfo -id "$1" | awk '/Absolute upper-left X/ {print $NF}')
  top=$(xwininfo -id "$1" | awk '/Absolute upper-left Y/ {print $NF}')
  xdotool mousemove $((left + 100)) $((top + 10)) mousedown 1 mousemove $(($2 + 100)) $((top + 10)) mouseup 1
  sleep 0.3
}

# The Windows path of a file under this machine's file system.
ui_windows_path() { eos_wine winepath -w "$1" 2>/dev/null; }
