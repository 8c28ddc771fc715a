#!/bin/bash
# Builds the libFuzzer targets of the sound file loaders (WAV parser and Ogg
# Vorbis path) with AddressSanitizer and UndefinedBehaviorSanitizer, seeds
# them with files made by sox and oggenc, and runs each for a while.
#
#   scripts/fuzz-audio.sh [seconds per target, default 600] [wav|ogg|all]
#
# Work files go to ${FUZZ_DIR:-/tmp/glimmer-fuzz-audio}; a crashing input is
# left there as crash-* and should be copied to tests/audio/corpus/.
set -euo pipefail

seconds=${1:-600}
which=${2:-all}
root=$(cd "$(dirname "$0")/.." && pwd)
work=${FUZZ_DIR:-/tmp/glimmer-fuzz-audio}
mkdir -p "$work/bin" "$work/seeds/wav" "$work/seeds/ogg" "$work/corpus/wav" "$work/corpus/ogg"

cxx=clang++-14
# vptr checks would need the host library's KpGame type information, which the
# loaders under test never use.
flags=(-std=c++17 -g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined
       -fno-sanitize-recover=undefined -fno-sanitize=vptr -I"$root" $(pkg-config --cflags openal stb vorbisfile))
sources=("$root"/audio/audio_data.cpp "$root"/audio/vorbis_decode.cpp "$root"/runtime/*.cpp)
libs=($(pkg-config --libs vorbisfile))

build() {
    local name=$1
    echo "building ${name}_fuzzer"
    $cxx "${flags[@]}" "$root/tests/audio/fuzz/${name}_fuzzer.cpp" "${sources[@]}" "${libs[@]}" \
        -o "$work/bin/${name}_fuzzer"
}

seed() {
    local s=$work/seeds
    sox -V1 -r 8000 -c 1 -n -b 16 "$s/wav/m16.wav" synth 200s sine 440
    sox -V1 -r 8000 -c 2 -n -b 8 "$s/wav/s8.wav" synth 100s sine 440
    sox -V1 -r 22050 -c 1 -n -b 8 "$s/wav/m8.wav" synth 64s sine 440
    sox -V1 -r 11025 -c 2 -n -b 16 "$s/wav/s16.wav" synth 64s sine 440
    sox -V1 -r 8000 -c 1 -n -e ima-adpcm "$s/wav/adpcm.wav" synth 100s sine 440
    sox -V1 -r 22050 -c 1 -n -b 16 "$s/wav/tone.wav" synth 0.1 sine 440
    oggenc -Q -q -1 -o "$s/ogg/mono.ogg" "$s/wav/tone.wav"
    sox -V1 -r 44100 -c 2 -n -b 16 "$s/tone2.wav" synth 0.1 sine 440 sine 660
    oggenc -Q -q 2 -o "$s/ogg/stereo.ogg" "$s/tone2.wav"
    sox -V1 -r 8000 -c 1 -n -b 16 "$s/tone3.wav" synth 0.3 noise
    oggenc -Q -o "$s/ogg/noise.ogg" "$s/tone3.wav"
}

run() {
    local name=$1
    echo "running ${name}_fuzzer for ${seconds}s"
    (cd "$work" && "$work/bin/${name}_fuzzer" "$work/corpus/$name" "$work/seeds/$name" \
        "$root/tests/audio/corpus" -max_total_time="$seconds" -max_len=65536 -timeout=20 \
        -rss_limit_mb=2048 -malloc_limit_mb=1024 -artifact_prefix="$work/${name}-" -print_final_stats=1 \
        >"$work/$name.log" 2>&1) && echo "${name}: no crash" || { echo "${name}: FAILED, see $work/$name.log"; return 1; }
    grep -E "^stat::number_of_executed_units|^#[0-9]+ *DONE" "$work/$name.log" || true
}

seed
status=0
for name in wav ogg; do
    if [ "$which" = all ] || [ "$which" = "$name" ]; then
        build "$name"
        run "$name" || status=1
    fi
done
exit $status
