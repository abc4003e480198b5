#!/usr/bin/env bash
# Keeps the folders' dependencies pointing one way. Each row names a folder, its kind and
# the folders it may include besides itself: only those its code really includes. Kinds:
# "portable" code includes no Windows header; "windows" code may, but calls no function of
# user32.dll or gdi32.dll (windows, messages, timers, drawing): it asks the forms, controls
# and canvases of ui/ or the owners of win/; "screen" code may call them.
# A file belongs to the row of the longest folder that holds it; a source file outside
# every row, an include (quoted or angled) of a folder not allowed, a Windows header in
# portable code, or a call of user32 or gdi32 outside screen code fails the check. The
# functions of user32 and gdi32 are read from the toolchain's import libraries, with the
# plain names of their A and W pairs (SendMessage as well as SendMessageW). Tests and
# benchmarks may do anything.
# Usage: scripts/check_layers.sh   (exit 1 with one line per fault)
set -euo pipefail
cd "$(dirname "$0")/.."

layers=(
  # folder             kind      may include
  "base                portable  -"
  "edsdk               portable  -"
  "win                 screen    base"
  "imaging/core        portable  -"
  "imaging             screen    win imaging/core"
  "face                portable  base imaging/core"
  "camremote/core      portable  base"
  "Sources/core        portable  base edsdk camremote/core"
  "Sources             windows   base win edsdk camremote/core Sources/core"
  "camremote           windows   base win edsdk camremote/core Sources/core Sources"
  "simulator/core      portable  base edsdk"
  "simulator           screen    base win simulator/core"
  "plugin/core         portable  base"
  "plugin/services     windows   base win plugin/core"
  "dialog/core         portable  base camremote/core imaging/core layout/core"
  "layout/core         portable  base"
  "layout              screen    base win ui imaging/core imaging layout/core"
  "ui                  screen    base win imaging/core imaging"
  "dialogs             windows   base win ui dialog/core plugin/services"
  "dialog              windows   base win ui dialogs dialog/core layout imaging/core imaging camremote/core camremote plugin/core plugin/services face"
  "plugin              windows   base win dialog camremote plugin/core plugin/services"
  "tools/camcheck/core portable  -"
  "tools               windows   base win camremote tools/camcheck/core"
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
not_screen=()  # the files that may not call user32 or gdi32
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
  [ "${kind[$own]}" = screen ] || case $file in *.rc) ;; *) not_screen+=("$file") ;; esac
  if [ "${kind[$own]}" = portable ] && grep -qE "$windows_headers" "$file"; then
    fault "$file: portable code includes a Windows header"
  fi
  while IFS= read -r inc; do
    target=$(row_of "$inc")
    [ -n "$target" ] || continue  # a library's header, not one of ours
    if [ "$target" != "$own" ] && [[ ${allowed[$own]} != *" $target "* ]]; then
      fault "$file: includes $inc ($own may not include $target)"
    fi
  done < <(sed -nE 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]([^">]+)[">].*/\1/p' "$file")
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

# Calls of user32 and gdi32 live in screen code: the dialogs ask their forms, controls and
# canvases to move, size, shape, show, message, time or draw. Comments and string
# literals do not count, nor members (after . or ->) or names qualified by a namespace.
import_names() {
  local cc lib
  for cc in x86_64-w64-mingw32-gcc i686-w64-mingw32-gcc; do
    command -v "$cc" >/dev/null || continue
    for lib in user32 gdi32; do
      lib=$("$cc" -print-file-name="lib$lib.a")
      [ -f "$lib" ] || return 1
      "${cc%gcc}nm" "$lib" | sed -nE 's/.* T _*([A-Za-z][A-Za-z0-9_]*)(@[0-9]+)?$/\1/p'
    done
    return 0
  done
  return 1
}
api=$(mktemp)
trap 'rm -f "$api"' EXIT
if ! import_names | sort -u >"$api" || [ ! -s "$api" ]; then
  fault "no mingw-w64 import libraries (libuser32.a, libgdi32.a) to read the window and drawing functions from"
fi
while IFS= read -r hit; do
  fault "$hit, a function of user32 or gdi32; ask the form, control or canvas in ui/"
done < <([ ${#not_screen[@]} -eq 0 ] || awk '
  FNR == NR { api[$1] = 1; if ($1 ~ /W$/) wide[substr($1, 1, length($1) - 1)] = 1; next }
  !generic { for (n in wide) if ((n "A") in api) api[n] = 1; generic = 1 }
  {
    line = $0
    sub(/\/\/.*$/, "", line)
    gsub(/"([^"\\]|\\.)*"/, "\"\"", line)
    rest = line; done = 0
    while (match(rest, /[A-Za-z_][A-Za-z0-9_]*[ \t]*\(/)) {
      name = substr(rest, RSTART, RLENGTH); sub(/[ \t]*\($/, "", name)
      before = substr(line, 1, done + RSTART - 1)
      if ((name in api) && before !~ /([A-Za-z0-9_.>]|[A-Za-z0-9_]::)$/) print FILENAME ":" FNR ": calls " name
      done += RSTART + RLENGTH - 1; rest = substr(rest, RSTART + RLENGTH)
    }
  }' "$api" "${not_screen[@]}")

if [ "$faults" -gt 0 ]; then
  echo "layers: $faults fault(s)"
  exit 1
fi
echo "layers: every include points down; every release goes through an owner; window and drawing calls stay in screen code"
