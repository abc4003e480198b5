#!/usr/bin/env bash
# Keeps the folders' dependencies pointing one way. Each row names a folder, whether its
# code is portable (no Windows headers), and the folders it may include besides itself.
# A file belongs to the row of the longest folder that holds it; a source file outside
# every row, an include of a folder not allowed, or a Windows header in portable code
# fails the check. Tests and benchmarks may include anything.
# Usage: scripts/check_layers.sh   (exit 1 with one line per fault)
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(
  # folder           kind      may include
  "base              portable  -"
  "edsdk             portable  -"
  "win               windows   base"
  "imaging/core      portable  base"
  "imaging           windows   base win imaging/core"
  "face              portable  base imaging/core"
  "camremote/core    portable  base"
  "Sources/core      portable  base edsdk camremote/core"
  "Sources           windows   base win edsdk camremote/core Sources/core"
  "camremote         windows   base win edsdk camremote/core Sources/core Sources"
  "simulator/core    portable  base edsdk"
  "simulator         windows   base win edsdk simulator/core"
  "plugin/core       portable  base"
  "plugin/services   windows   base win plugin/core"
  "dialog/core       portable  base camremote/core imaging/core"
  "layout/core       portable  base"
  "layout            windows   base win ui imaging/core imaging layout/core"
  "ui                windows   base win imaging/core imaging"
  "dialogs           windows   base win ui imaging/core imaging camremote/core dialog/core plugin/core plugin/services"
  "dialog            windows   base win ui dialogs dialog/core layout/core layout imaging/core imaging edsdk camremote/core Sources/core Sources camremote plugin/core plugin/services face"
  "plugin            windows   base win ui dialogs dialog/core imaging/core imaging edsdk camremote/core Sources/core Sources camremote plugin/core plugin/services dialog face"
  "tools/camcheck/core portable -"
  "tools             windows   base win ui dialogs edsdk camremote/core Sources/core Sources camremote plugin/core plugin/services tools/camcheck/core"
)

declare -A kind allowed
folders=()
for row in "${layers[@]}"; do
  read -r folder k deps <<<"$row"
  folders+=("$folder")
  kind[$folder]=$k
  allowed[$folder]=" ${deps/#-/} "
done

# The row of a path: the longest folder that holds it, or nothing.
row_of() {
  local path=$1 best="" f
  for f in "${folders[@]}"; do
    if [[ $path == "$f"/* && ${#f} -gt ${#best} ]]; then best=$f; fi
  done
  printf '%s' "$best"
}

windows_headers='^[[:space:]]*#[[:space:]]*include[[:space:]]*<(windows|winbase|winuser|wingdi|winreg|oleauto|objbase|ole2|shellapi|shlobj|commctrl|gdiplus|mmsystem|io|process|direct)\.h>'

faults=0
fault() {
  echo "layers: $*"
  faults=$((faults + 1))
}

while IFS= read -r file; do
  case $file in tests/* | bench/* | build/*) continue ;; esac
  own=$(row_of "$file")
  if [ -z "$own" ]; then
    fault "$file: in no folder of the layer table (scripts/check_layers.sh)"
    continue
  fi
  if [ "${kind[$own]}" = portable ] && grep -qE "$windows_headers" "$file"; then
    fault "$file: portable code includes a Windows header"
  fi
  while IFS= read -r inc; do
    target=$(row_of "$inc")
    [ -n "$target" ] || continue  # a library's header, not one of ours
    if [ "$target" != "$own" ] && [[ ${allowed[$own]} != *" $target "* ]]; then
      fault "$file: includes $inc ($own may not include $target)"
    fi
  done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/p' "$file")
done < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.c' '*.rc')

# Releases go through owners: a handle, buffer, SDK reference or session given back by a
# direct call can be forgotten on some way out. Only the owner headers call the release
# functions; the stand-in camera defines the SDK's, and tests and benchmarks may call
# anything. Comments and string literals do not count.
release_calls='(^|[^"[:alnum:]_])(EdsRelease|EdsCloseSession|ReleaseActCtx|CloseHandle|DeleteObject|DeleteDC|DestroyIcon|DeleteEnhMetaFile|RegCloseKey|FreeLibrary|LocalFree|SysFreeString|FindClose|fclose)[[:space:]]*\('
owner_headers=" win/handles.h Sources/EDSDKOwners.h base/cfile.h "
while IFS= read -r file; do
  case $file in tests/* | bench/* | build/* | simulator/*) continue ;; esac
  [[ $owner_headers == *" $file "* ]] && continue
  while IFS= read -r hit; do
    fault "$file:${hit%%:*}: releases by hand; use the owner in${owner_headers% }"
  done < <(sed -E 's://.*$::; s/"([^"\\]|\\.)*"/""/g' "$file" | grep -nE "$release_calls" || true)
done < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.c')

# Windows calls on windows live in ui/ (and handles in win/): the dialogs ask their forms
# and controls to move, size, shape, show or message themselves. The stand-in camera has a
# message window of its own. Comments and string literals do not count.
window_calls='(^|[^"[:alnum:]_.>])(SetWindowPos|SetWindowLongPtrW|GetWindowLongPtrW|SetWindowLongW|GetWindowLongW|SetWindowRgn|MoveWindow|ShowWindow|SetCapture|ReleaseCapture|GetWindowRect|GetClientRect|SetParent|EnableWindow|IsWindowVisible|SendMessageW|PostMessageW|RedrawWindow|InvalidateRect|SetWindowTextW|GetWindowTextW|ClientToScreen|ScreenToClient|DestroyWindow|CreateWindowExW|SetForegroundWindow|SetActiveWindow|GetCursorPos|SetCursor|SetFocus|BringWindowToTop|UpdateWindow|GetWindowPlacement|SetWindowPlacement|IsZoomed|IsIconic)[[:space:]]*\('
while IFS= read -r file; do
  case $file in tests/* | bench/* | build/* | simulator/* | ui/* | win/*) continue ;; esac
  while IFS= read -r hit; do
    fault "$file:${hit%%:*}: calls a window function; ask the form or control in ui/"
  done < <(sed -E 's://.*$::; s/"([^"\\]|\\.)*"/""/g' "$file" | grep -nE "$window_calls" || true)
done < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.cpp' '*.c')

if [ "$faults" -gt 0 ]; then
  echo "layers: $faults fault(s)"
  exit 1
fi
echo "layers: every include points down; every release goes through an owner; window calls stay in ui/"
