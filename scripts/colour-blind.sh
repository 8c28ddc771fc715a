#!/usr/bin/env bash
# Simulates how a picture looks with deuteranopia, protanopia and tritanopia,
# with ImageMagick's colour matrix and the simulation matrices of Machado,
# Oliveira and Fernandes (2009, severity 1.0), applied in linear RGB as
# they were made.
#
# Usage: scripts/colour-blind.sh IN.png OUT-PREFIX
#   writes OUT-PREFIX-deuteranopia.png, -protanopia.png and -tritanopia.png
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 IN.png OUT-PREFIX" >&2; exit 2; }
command -v convert >/dev/null || { echo "colour-blind.sh: ImageMagick's convert is not installed" >&2; exit 1; }

declare -A matrix=(
  [deuteranopia]="0.367322 0.860646 -0.227968  0.280085 0.672501 0.047413  -0.011820 0.042940 0.968881"
  [protanopia]="0.152286 1.052583 -0.204868  0.114503 0.786281 0.099216  -0.003882 -0.048116 1.051998"
  [tritanopia]="1.255528 -0.076749 -0.178779  -0.078411 0.930809 0.147602  0.004733 0.691367 0.303900"
)
for kind in deuteranopia protanopia tritanopia; do
  convert "$1" -alpha off -colorspace RGB -color-matrix "${matrix[$kind]}" -colorspace sRGB \
    -strip -define png:compression-level=9 "$2-$kind.png"
done
