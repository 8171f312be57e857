#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Rebuilds the pictures the calculator installs:
#
#   countface107.jpg      the default skin, 442 x 479 (6630 x 7185 twips)
#   计算器sound开.bmp     voice button, speech on  (28 x 26, 24-bit BMP)
#   计算器sound关.bmp     voice button, speech off (28 x 26, 24-bit BMP)
#   numbelle.png          application icon, 256 x 256
#   numbelle-128.png      application icon, 128 x 128
#   numbelle-48.png       application icon, 48 x 48
#   numbelle.svg          application icon, scalable
#   recyclebin.png        picture for the clearing window, 64 x 64
#
# and, for screens with two device pixels to a pixel (high dpi), the same
# pictures drawn at twice the size, built into the program only:
#
#   countface107@2x.jpg, 计算器sound开@2x.png, 计算器sound关@2x.png, recyclebin@2x.png
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
py face.py "$work/face-2x.ppm" 2
py speaker.py "$work/sound-on.ppm" "$work/sound-off.ppm"
py speaker.py "$work/sound-on-2x.ppm" "$work/sound-off-2x.ppm" 2
py icon.py "$work/icon-256.pam" 256
py icon.py "$work/icon-128.pam" 128
py icon.py "$work/icon-48.pam" 48
py icon_svg.py "$out/numbelle.svg"
py recyclebin.py "$work/recyclebin.pam"
py recyclebin.py "$work/recyclebin-2x.pam" 2

# No metadata of any kind: no dates, no profiles, no comments.
png() {
    convert "$1" -strip -define png:exclude-chunks=date,time \
        +set date:create +set date:modify "PNG32:$2"
}
bmp() {
    convert "$1" -strip -type TrueColor "BMP3:$2"
}

jpg() {
    convert "$1" -strip -sampling-factor 1x1 -quality 92 "JPEG:$2"
}

jpg "$work/face.ppm" "$out/countface107.jpg"
jpg "$work/face-2x.ppm" "$out/countface107@2x.jpg"
bmp "$work/sound-on.ppm" "$out/计算器sound开.bmp"
bmp "$work/sound-off.ppm" "$out/计算器sound关.bmp"
png "$work/sound-on-2x.ppm" "$out/计算器sound开@2x.png"
png "$work/sound-off-2x.ppm" "$out/计算器sound关@2x.png"
png "$work/icon-256.pam" "$out/numbelle.png"
png "$work/icon-128.pam" "$out/numbelle-128.png"
png "$work/icon-48.pam" "$out/numbelle-48.png"
png "$work/recyclebin.pam" "$out/recyclebin.png"
png "$work/recyclebin-2x.pam" "$out/recyclebin@2x.png"

echo "make-pictures: wrote the pictures to $out"
