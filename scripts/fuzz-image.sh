#!/bin/sh
# Fuzzes the image checks and decoder with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (clang-14, libclang-rt-14-dev).
#   scripts/fuzz-image.sh [seconds] [work-dir]
# Seeds are PNG files made here by ImageMagick plus tests/graphics/corpus/;
# inputs that crash are written to the work dir (copy them into the corpus).
set -eu
seconds=${1:-600}
root=$(cd "$(dirname "$0")/.." && pwd)
work=${2:-${TMPDIR:-/tmp}/glimmer-fuzz-image}
mkdir -p "$work/seeds" "$work/corpus" "$work/crashes"

CXX=${CXX:-clang++-14}
flags="-std=c++17 -g -O1 -DGLIMMER_IMAGE_DECODE_ONLY -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -I$root"
$CXX $flags -o "$work/fuzz_image" \
    "$root/tests/graphics/fuzz_image.cpp" "$root/graphics/image_data.cpp"

# Real PNG files of every colour type, bit depth and interlacing, kept small.
s="$work/seeds"
convert -size 7x5 gradient:black-white -depth 8 -type Grayscale "PNG8:$s/grey8.png" 2>/dev/null || true
convert -size 9x4 gradient:black-white -depth 8 -define png:color-type=0 "$s/grey.png"
convert -size 9x4 gradient:black-white -depth 1 -define png:bit-depth=1 -define png:color-type=0 "$s/grey1.png"
convert -size 9x4 gradient:black-white -depth 2 -define png:bit-depth=2 -define png:color-type=0 "$s/grey2.png"
convert -size 9x4 gradient:black-white -depth 4 -define png:bit-depth=4 -define png:color-type=0 "$s/grey4.png"
convert -size 6x6 gradient:black-white -depth 8 -alpha set -channel A -evaluate set 50% +channel -define png:color-type=4 "$s/greyalpha.png"
convert -size 11x3 gradient:red-blue -depth 8 -define png:color-type=2 "$s/rgb.png"
convert -size 5x7 gradient:red-blue -depth 8 -alpha set -channel A -evaluate set 40% +channel -define png:color-type=6 "$s/rgba.png"
convert -size 8x8 plasma:fractal -seed 3 -colors 5 -define png:color-type=3 "$s/palette.png" 2>/dev/null ||
    convert -size 8x8 gradient:red-blue -depth 8 -colors 5 -define png:color-type=3 "$s/palette.png"
convert -size 6x6 xc:red -fill blue -draw "point 1,1" -transparent red -define png:color-type=3 "$s/palette_trns.png"
convert -size 6x6 xc:white -fill black -draw "point 1,1" -transparent white -define png:color-type=0 "$s/grey_trns.png"
convert -size 13x9 gradient:red-blue -depth 8 -interlace PNG "$s/interlaced.png"
convert -size 4x4 gradient:red-blue -depth 16 "$s/rgb16.png"
convert -size 20x12 gradient:yellow-green -depth 8 "$s/wide.png"
cp "$root"/tests/graphics/corpus/* "$s/" 2>/dev/null || true

# Chunk names and the signature help the mutator build valid structure.
printf '%s\n' '"\x89PNG\x0d\x0a\x1a\x0a"' '"IHDR"' '"IDAT"' '"IEND"' '"PLTE"' '"tRNS"' '"CgBI"' \
    '"\x00\x00\x00\x0dIHDR"' '"\x78\x9c"' > "$work/png.dict"

cd "$work/crashes"
"$work/fuzz_image" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -print_final_stats=1 -dict="$work/png.dict" "$work/corpus" "$s"
