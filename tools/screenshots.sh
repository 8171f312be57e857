#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Photographs the program's windows as a person sees them, on an Xvfb display
# of its own at a given scale (QT_SCALE_FACTOR): the main window in its three
# sizes, the records, clearing, manual, settings, loan, securities and
# auto-shutdown windows. Used for the AppStream screenshots
# (resources/screenshots/, at scale 2) and to look at the windows on high-dpi
# screens.
#
#   tools/screenshots.sh OUTPUT-DIR [SCALE] [BUILD-DIR]     (scale 2, build/)
#
# Writes into OUTPUT-DIR the AppStream screenshots main.png (the full window),
# sizes.png (the simple window above the mini one), records.png, loan.png and
# securities.png, and main-simple.png, main-mini.png, clear.png, manual.png,
# settings.png and shutdown.png besides. To bring the AppStream ones up to
# date:
#
#   tools/screenshots.sh /tmp/shots && cp /tmp/shots/{main,sizes,records,loan,securities}.png resources/screenshots/
#
# Runs numbelle-script --show with the recording platform: nothing sounds,
# nothing is printed or switched off; numbelle-script photographs the windows
# itself (its shot command). Needs Xvfb (xvfb).
set -euo pipefail
out=${1:?usage: tools/screenshots.sh OUTPUT-DIR [SCALE] [BUILD-DIR]}
scale=${2:-2}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${3:-$root/build}
exe=$build/bin/numbelle-script
command -v Xvfb >/dev/null || { echo "screenshots: needs Xvfb" >&2; exit 1; }
[ -x "$exe" ] || { echo "screenshots: build first ($exe)" >&2; exit 1; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

work=$(mktemp -d)
xvfb=
cleanup() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# A display on a number Xvfb finds free (it writes the number when ready).
Xvfb -displayfd 3 -screen 0 2400x2000x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$work/display" ] && break
  sleep 0.05
done
[ -s "$work/display" ] || { cat "$work/xvfb.log" >&2; echo "screenshots: Xvfb did not start" >&2; exit 1; }
display=:$(head -1 "$work/display")

# The installed defaults, and records keyed in entry mode (GBK, CR LF).
folder=$work/folder
mkdir "$folder"
grep -v '^#' "$root/resources/default-files.txt" | while IFS= read -r f; do
  [ -n "$f" ] && cp "$root/resources/$f" "$folder/"
done
printf ' 1 1280.50\r\n 2 96.00\r\n 3 15.75\r\n 4 320\r\n 5 00123\r\n' >"$folder/datafile.txt"

shot() { # NAME [WINDOW [below]]: the picture, once the window has painted
  echo "wait 800"
  echo "shot \"$out/$1.png\"${2:+ $2}${3:+ $3}"
}
{
  echo "focus countform.Command22"
  echo "key F2"; echo "key F2"
  echo 'type "1280.5+96.75="'
  shot main countform
  echo "click countform.Label1"; shot main-simple countform
  shot sizes countform
  echo "click countform.Label1"; shot main-mini countform
  shot sizes countform below
  echo "click countform.Label1"
  echo "click countform.Command29"; shot records Form1
  echo "close Form1"
  echo "click countform.Command31"; shot clear Form2
  echo "close Form2"
  echo "key F1"; shot manual Form3
  echo "close Form3"
  echo "click countform.Command34"; shot settings Form4
  echo "close Form4"
  echo "click countform.Command37"
  echo 'set Form5.Text1 "500000"'; echo 'set Form5.Text2 "240"'
  echo "click Form5.Command3"; shot loan Form5
  echo "close Form5"
  echo "click countform.Command38"
  echo 'set Form6.Text1 "600036"'; echo 'set Form6.Text2 "32.15"'; echo 'set Form6.Text3 "35.80"'
  echo 'set Form6.Text4 "2000"'; echo "click Form6.Command1"; shot securities Form6
  echo "close Form6"
  echo "key F3"; shot shutdown Form8
} | DISPLAY=$display QT_SCALE_FACTOR=$scale "$exe" --show --dir "$folder" >/dev/null 2>"$work/stderr" ||
  { cat "$work/stderr" >&2; exit 1; }
ls "$out"
