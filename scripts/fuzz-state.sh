#!/bin/bash
# Fuzzes the state text read at start-up (p_Load) on the whole game booted on
# the headless host, with libFuzzer and the sanitizers. Seeds are state files
# saved by the game itself (written by the fuzz target at start) and the kept
# inputs of tests/fuzz/corpus/state/.
#
#   scripts/fuzz-state.sh [seconds, default 600]
#
# Work files go to ${FUZZ_DIR:-/tmp/glimmer-fuzz-state}; a failing input is
# left there as crash-* and belongs in tests/fuzz/corpus/state/.
set -euo pipefail
seconds=${1:-600}
source "$(dirname "$0")/fuzz-lib.sh"
work=${FUZZ_DIR:-/tmp/glimmer-fuzz-state}
seeds=$work/seeds
mkdir -p "$seeds"

fuzz_build fuzz_state
GLIMMER_FUZZ_WRITE_SEEDS=$seeds "$fuzz_binary" -runs=0 "$seeds" >/dev/null 2>&1 || true
printf '%s\n' '"|"' '"-"' '"0|"' '"2147483647|"' '"-2147483648|"' >"$work/state.dict"
# Leaks are left to the sanitizer test suite: with the whole game in the
# process, a leak scan after every input would cost more than the input.
fuzz_run state "$seconds" "$work" "$seeds" "$fuzz_root/tests/fuzz/corpus/state" -dict="$work/state.dict" -detect_leaks=0
