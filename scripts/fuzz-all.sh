#!/bin/bash
# Runs every fuzz target for a short while (CTest's "fuzz" test): images, WAV,
# Ogg Vorbis, String::Load, the state text and the level decoder. The kept
# regression inputs are replayed first by each target.
#
#   scripts/fuzz-all.sh [seconds per target, default 60] [work dir]
set -uo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work=${2:-${TMPDIR:-/tmp}/glimmer-fuzz-all}
mkdir -p "$work"
export FUZZ_BUILD=$work/build
status=0
run() {
    local name=$1
    shift
    local start=$SECONDS
    "$@" || { echo "fuzz-all: $name failed"; status=1; }
    echo "fuzz-all: $name took $((SECONDS - start))s"
}
run image bash "$root/scripts/fuzz-image.sh" "$seconds" "$work/image"
run audio env FUZZ_DIR="$work/audio" bash "$root/scripts/fuzz-audio.sh" "$seconds" all
run string env FUZZ_DIR="$work/string" bash "$root/scripts/fuzz-string.sh" "$seconds"
run state env FUZZ_DIR="$work/state" bash "$root/scripts/fuzz-state.sh" "$seconds"
run level env FUZZ_DIR="$work/level" bash "$root/scripts/fuzz-level.sh" "$seconds"
exit $status
