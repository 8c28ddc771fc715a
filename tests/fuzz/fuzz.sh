#!/bin/bash
# Timed fuzzing (the `fuzz` test): builds the fuzz targets with clang-14,
# libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer, seeds them and
# runs each for a while after replaying its kept inputs. A failing input is
# left as WORK/<target>/crash-*; once mended, keep it in the target's corpus.
#
#   tests/fuzz/fuzz.sh [seconds per target, default 30] [work folder] [target...]
#   targets: image wav ogg replay string state level levelfile scores (default: all)
set -uo pipefail
seconds=${1:-30}
work=${2:-${TMPDIR:-/tmp}/glimmer-fuzz}
shift $(($# < 2 ? $# : 2))
targets=${*:-image wav ogg replay string state level levelfile scores}
root=$(cd "$(dirname "$0")/../.." && pwd)
command -v clang++-14 >/dev/null || { echo "fuzz: clang++-14 is missing"; exit 1; }
mkdir -p "$work/bin"
work=$(cd "$work" && pwd)
sanitize="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
export ALSOFT_DRIVERS=null
# The state target saves a file per input: on a memory file system where there is one.
[ -w /dev/shm ] && export TMPDIR=/dev/shm

# The loaders' targets are a few sources each; vptr checks would need the
# host's type information, which the loaders never use.
build_loader() {
    local name=$1 sources
    case $name in
        image) sources=("$root/tests/graphics/fuzz_image.cpp" "$root/graphics/image_data.cpp" -lz) ;;
        replay) sources=("$root/tests/fuzz/replay_fuzzer.cpp" "$root/game/world/replay_file.cpp"
                         "$root/game/shell/records_file.cpp" "$root/game/world/level_hash.cpp"
                         "$root/game/world/level_store.cpp" $(ls "$root"/runtime/*.cpp | grep -v _win32)) ;;
        *) sources=("$root/tests/audio/fuzz/${name}_fuzzer.cpp" "$root/audio/audio_data.cpp" "$root/audio/vorbis_decode.cpp"
                    $(ls "$root"/runtime/*.cpp | grep -v _win32) $(pkg-config --libs vorbisfile)) ;;
    esac
    clang++-14 -std=c++17 $sanitize -fsanitize=fuzzer -fno-sanitize=vptr -I"$root" \
        $(pkg-config --cflags openal stb vorbisfile) "${sources[@]}" -o "$work/bin/$name"
}

# The game's targets: a clang build of the tree, every library ready for libFuzzer.
build_game() {
    local build=$work/build
    [ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DGLIMMER_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_FLAGS="$sanitize -fsanitize=fuzzer-no-link" \
        -DCMAKE_CXX_FLAGS="$sanitize -fsanitize=fuzzer-no-link" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
        >/dev/null || return 1
    cmake --build "$build" -j2 --target "fuzz_$1" >"$work/$1.build.log" 2>&1 || { tail -30 "$work/$1.build.log"; return 1; }
    cp "$build/tests/fuzz/fuzz_$1" "$work/bin/$1"
}

# Seeds: PNG files of every colour type, depth and interlacing; sounds by sox
# and oggenc; the stored levels' coded texts.
seed() {
    local s=$work/$1/seeds i=0
    mkdir -p "$s"
    case $1 in
        image)
            for options in "-colorspace Gray -depth 1 -define png:bit-depth=1" "-colorspace Gray -depth 4 -define png:bit-depth=4" \
                "-define png:color-type=2" "-colors 5 -define png:color-type=3" "-interlace PNG" \
                "-colorspace Gray -alpha set -channel A -evaluate set 50% +channel -define png:color-type=4" \
                "-alpha set -channel A -evaluate set 40% +channel -define png:color-type=6" \
                "-colors 4 -transparent white -define png:color-type=3"; do
                convert -size 9x5 gradient:white-blue -depth 8 $options "$s/$((i++)).png" || return 1
            done ;;
        wav)
            for options in "8000 1 -b 16" "8000 2 -b 8" "11025 2 -b 16" "8000 1 -e ima-adpcm"; do
                set -- $options
                sox -V1 -r "$1" -c "$2" -n "${@:3}" "$s/$((i++)).wav" synth 0.2 sine 440 || return 1
            done ;;
        ogg)
            sox -V1 -r 22050 -c 1 -n -b 16 "$s/mono.wav" synth 0.1 sine 440 &&
                sox -V1 -r 44100 -c 2 -n -b 16 "$s/stereo.wav" synth 0.1 sine 440 sine 660 &&
                oggenc -Q -q -1 "$s/mono.wav" "$s/stereo.wav" && rm "$s"/*.wav || return 1 ;;
        level)
            python3 - "$root/game/world/level_store.cpp" "$s" <<'PY' || return 1
import re, sys
for n, text in enumerate(re.findall(r'((?:"[^"]*"\s*)+)[,;]', open(sys.argv[1]).read()), 1):
    open('%s/stored%02d' % (sys.argv[2], n), 'w').write(''.join(re.findall(r'"([^"]*)"', text)))
PY
            ;;
    esac
}

# Leak checks only for the loaders: with the whole game in the process, a scan
# after every input would cost more than the input.
status=0
for name in $targets; do
    case $name in
        image | wav | ogg | replay) build=build_loader leaks=1 kept=$root/tests/audio/corpus ;;
        *) build=build_game leaks=0 kept=$root/tests/fuzz/corpus/$name ;;
    esac
    [ "$name" = image ] && kept=$root/tests/graphics/corpus
    [ "$name" = replay ] && kept=$root/tests/fuzz/corpus/replay
    mkdir -p "$work/$name/corpus"
    if $build "$name" && seed "$name" &&
        (cd "$work/$name" && "$work/bin/$name" corpus seeds "$kept" -max_total_time="$seconds" -timeout=20 -max_len=65536 \
            -rss_limit_mb=2048 -malloc_limit_mb=1024 -detect_leaks=$leaks -close_fd_mask=1 -artifact_prefix="$work/$name/" \
            -print_final_stats=1 >"$work/$name.log" 2>&1); then
        echo "$name: no failure, $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$name.log" | grep -o '[0-9]*$') inputs"
    else
        echo "$name: FAILED, see $work/$name.log" && tail -30 "$work/$name.log" 2>/dev/null
        status=1
    fi
done
exit $status
