#!/usr/bin/env bash
# Draws docs/levels.png, the contact sheet of the fifteen levels' map views:
# glimmer-solve draws each map with the game's tile sheet, ImageMagick's
# montage lays them out five to a row, labelled. Build first (scripts/setup.sh).
#
#   bash scripts/level_sheet.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
command -v montage >/dev/null || { echo "ImageMagick's montage is not installed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && ./glimmer-solve --maps-only --jobs 2 --maps "$work" --tiles data/gfx1.png)
for n in $(seq 1 15); do
    convert "$work/level$(printf %02d "$n").png" -resize 320x320 -set label "Level $n" "$work/small$(printf %02d "$n").png"
done
montage "$work"/small*.png -tile 5x3 -geometry +6+6 -background '#141830' -fill '#e8e8f0' -pointsize 18 \
    "$root/docs/levels.png"
echo "$root/docs/levels.png"
