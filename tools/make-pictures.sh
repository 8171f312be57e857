#!/usr/bin/env bash
# Rebuilds the pictures the calculator installs:
#
#   countface107.jpg      the default skin, 442 x 479 (6630 x 7185 twips)
#   计算器sound开.bmp     voice button, speech on  (28 x 26, 24-bit BMP)
#   计算器sound关.bmp     voice button, speech off (28 x 26, 24-bit BMP)
#   numbelle.png          application icon, 256 x 256
#   numbelle-48.png       application icon, 48 x 48
#   recyclebin.png        picture for the clearing window, 64 x 64
#
# Usage: tools/make-pictures.sh [OUTPUT-DIR]     (default: resources/)
#
# The pictures are drawn by the Python scripts in tools/pictures/ (standard
# library only) and encoded by ImageMagick's convert.  Neither uses clocks or
# random numbers, and every date or other metadata chunk is left out, so two
# runs give byte-identical files.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
out=${1:-$root/resources}

command -v python3 >/dev/null || { echo "make-pictures: python3 is needed" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-pictures: ImageMagick's convert is needed" >&2; exit 1; }

mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

export PYTHONDONTWRITEBYTECODE=1
export PYTHONHASHSEED=0
py() { python3 "$here/pictures/$1" "${@:2}"; }

py face.py "$work/face.ppm"
py speaker.py "$work/sound-on.ppm" "$work/sound-off.ppm"
py icon.py "$work/icon-256.pam" 256
py icon.py "$work/icon-48.pam" 48
py recyclebin.py "$work/recyclebin.pam"

# No metadata of any kind: no dates, no profiles, no comments.
png() {
    convert "$1" -strip -define png:exclude-chunks=date,time \
        +set date:create +set date:modify "PNG32:$2"
}
bmp() {
    convert "$1" -strip -type TrueColor "BMP3:$2"
}

convert "$work/face.ppm" -strip -sampling-factor 1x1 -quality 92 "JPEG:$out/countface107.jpg"
bmp "$work/sound-on.ppm" "$out/计算器sound开.bmp"
bmp "$work/sound-off.ppm" "$out/计算器sound关.bmp"
png "$work/icon-256.pam" "$out/numbelle.png"
png "$work/icon-48.pam" "$out/numbelle-48.png"
png "$work/recyclebin.pam" "$out/recyclebin.png"

echo "make-pictures: wrote the pictures to $out"
