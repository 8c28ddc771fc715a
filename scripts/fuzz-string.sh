#!/bin/bash
# Fuzzes String::Load's decoding (UTF-8 with or without a signature, UTF-16
# of either byte order, the raw-byte fallback) with libFuzzer and the
# sanitizers; seeds are texts made here, the game's own save files and the
# kept regression inputs of tests/fuzz/corpus/string/.
#
#   scripts/fuzz-string.sh [seconds, default 600]
#
# Work files go to ${FUZZ_DIR:-/tmp/glimmer-fuzz-string}; a failing input is
# left there as crash-* and belongs in tests/fuzz/corpus/string/.
set -euo pipefail
seconds=${1:-600}
source "$(dirname "$0")/fuzz-lib.sh"
work=${FUZZ_DIR:-/tmp/glimmer-fuzz-string}
seeds=$work/seeds
mkdir -p "$seeds"

printf 'Settings|0|1|' >"$seeds/ascii"
printf '\xef\xbb\xbfA' >"$seeds/signature"
printf '\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xe2\x9c\xa8' >"$seeds/utf8"
printf '\xc3\x28' >"$seeds/invalid"
printf '\xe2\x82' >"$seeds/cut"
printf '\xfe\xff\x00A\x00\xe9\x20\xac' >"$seeds/utf16be"
printf '\xff\xfeA\x00\xe9\x00\xac\x20\x00' >"$seeds/utf16le"
printf 'caf\xc3\xa9 na\xc3\xafve' | iconv -f UTF-8 -t UTF-16 >"$seeds/iconv16" 2>/dev/null || true
cp "$fuzz_root"/tests/fuzz/corpus/state/* "$seeds/" 2>/dev/null || true

fuzz_build fuzz_string
fuzz_run string "$seconds" "$work" "$seeds" "$fuzz_root/tests/fuzz/corpus/string"
