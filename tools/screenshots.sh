#!/usr/bin/env bash
# Photographs the program's windows as a person sees them, on an Xvfb display
# at a given scale (QT_SCALE_FACTOR): the main window in its three sizes, the
# records, clearing, manual, settings, loan and auto-shutdown windows. Used for
# the AppStream screenshots (resources/screenshots/, at scale 2) and to look
# at the windows on high-dpi screens.
#
#   tools/screenshots.sh OUTPUT-DIR [SCALE] [BUILD-DIR]     (scale 2, build/)
#
# Runs numbelle-script --show with the recording platform: nothing sounds,
# nothing is printed or switched off. Needs Xvfb and ImageMagick (xvfb,
# imagemagick).
set -euo pipefail
out=${1:?usage: tools/screenshots.sh OUTPUT-DIR [SCALE] [BUILD-DIR]}
scale=${2:-2}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${3:-$root/build}
exe=$build/bin/numbelle-script
command -v Xvfb >/dev/null && command -v import >/dev/null || { echo "screenshots: needs Xvfb and ImageMagick" >&2; exit 1; }
mkdir -p "$out"

folder=$(mktemp -d)
display=:$((90 + RANDOM % 9))
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$folder"' EXIT
Xvfb "$display" -screen 0 2000x1600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1

# The installed defaults, and records keyed in entry mode (GBK, CR LF).
grep -v '^#' "$root/resources/default-files.txt" | while IFS= read -r f; do
  [ -n "$f" ] && cp "$root/resources/$f" "$folder/"
done
printf ' 1 1280.50\r\n 2 96.00\r\n 3 15.75\r\n 4 320\r\n 5 00123\r\n' >"$folder/datafile.txt"

# Each shot: the commands that bring the window up, then the photograph of
# the screen cut to what is on it.
shot() { # NAME [WIDTH HEIGHT of the window in twips, when others lie behind it]
  sleep 1.5
  import -display "$display" -window root "$out/$1.png"
  if [ $# -eq 3 ]; then
    convert "$out/$1.png" -crop "$(awk -v w="$2" -v h="$3" -v s="$scale" \
      'BEGIN { printf "%dx%d+0+0", w / 15 * s + 0.5, h / 15 * s + 0.5 }')" +repage "$out/$1.png"
  else
    convert "$out/$1.png" -trim +repage "$out/$1.png"
  fi
}
{
  echo "focus countform.Command22"
  echo "key F2"; echo "key F2"
  echo 'type "1280.5+96.75="'
  echo "wait 500"; shot main-full >&2
  echo "click countform.Label1"; echo "wait 300"; shot main-simple >&2
  echo "click countform.Label1"; echo "wait 300"; shot main-mini >&2
  echo "click countform.Label1"
  echo "click countform.Command29"; echo "wait 500"; shot records 9600 6900 >&2
  echo "close Form1"
  echo "click countform.Command31"; echo "wait 500"; shot clear 6480 2760 >&2
  echo "close Form2"
  echo "key F1"; echo "wait 500"; shot manual 8400 7800 >&2
  echo "close Form3"
  echo "click countform.Command34"; echo "wait 500"; shot settings >&2
  echo "close Form4"
  echo "click countform.Command37"
  echo 'set Form5.Text1 "500000"'; echo 'set Form5.Text2 "240"'
  echo "click Form5.Command3"; echo "wait 500"; shot loan 7140 6900 >&2
  echo "close Form5"
  echo "key F3"; echo "wait 500"; shot shutdown 4800 2280 >&2
} 2>/dev/null | DISPLAY=$display QT_SCALE_FACTOR=$scale "$exe" --show --dir "$folder" >/dev/null 2>&1 || true
ls "$out"
