#!/bin/bash
# Fuzzes the level decoder (p_Uncrunch) and the level builder (p_GetLevel) on
# fuzzed coded texts, with libFuzzer and the sanitizers. Seeds are the coded
# texts of every stored level and the kept inputs of tests/fuzz/corpus/level/.
#
#   scripts/fuzz-level.sh [seconds, default 600]
#
# Work files go to ${FUZZ_DIR:-/tmp/glimmer-fuzz-level}; a failing input is
# left there as crash-* and belongs in tests/fuzz/corpus/level/.
set -euo pipefail
seconds=${1:-600}
source "$(dirname "$0")/fuzz-lib.sh"
work=${FUZZ_DIR:-/tmp/glimmer-fuzz-level}
seeds=$work/seeds
mkdir -p "$seeds"

# The stored coded texts, one file per level (the store's string pieces joined).
python3 - "$fuzz_root/game/world/level_store.cpp" "$seeds" <<'PY'
import re, sys
texts, current = [], []
for line in open(sys.argv[1]):
    pieces = re.findall(r'"([^"]*)"', line)
    if not pieces or line.lstrip().startswith('//'):
        continue
    current.extend(pieces)
    if line.rstrip().endswith((',', ';')):
        texts.append(''.join(current))
        current = []
for n, text in enumerate(texts, 1):
    open('%s/stored%02d' % (sys.argv[2], n), 'w').write(text)
PY
printf '%s\n' '"z0"' '"z2"' '"AS"' '"AX"' '"Ax"' '"A}"' '"A{"' '"AP"' '" "' >"$work/level.dict"

fuzz_build fuzz_level
# Leaks are left to the sanitizer test suite: with the whole game in the
# process, a leak scan after every input would cost more than the input.
fuzz_run level "$seconds" "$work" "$seeds" "$fuzz_root/tests/fuzz/corpus/level" -dict="$work/level.dict" -detect_leaks=0 -max_len=8192
