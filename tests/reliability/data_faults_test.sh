#!/bin/bash
# The real program with one data file damaged at a time, with no audio device,
# and with damaged state files: each time the game must start, reach the menu,
# play a game of level 1, return to the menu (saving on the way) and close
# with status 0, printing no runtime error or sanitizer report.
#
# Usage: data_faults_test.sh images|sounds|state <glimmer> <data folder>
#   images: every picture the game loads at 640 x 480 ("-hd" files and the
#           default font), each missing, truncated to half or replaced by
#           random bytes of the same size, in rotation; the menu picture and
#           the game font get all three.
#   sounds: a sample of the sound effects in rotation, the sound folder
#           missing, the whole data folder missing, and no audio device.
#   state:  the state file missing, empty, cut after the settings block, and
#           random bytes; the status lines say which blocks were read.
# GLIMMER_RELIABILITY_ALL=1 tries all three damages on every file instead.
set -u
group=$1
GLIMMER=$(realpath "$2")
DATA=$(realpath "$3")
source "$(dirname "$0")/real_program_lib.sh"
rp_start_x
rp_wave_audio
VARIANTS=(missing truncated random)
CASES=0

# damage FILE VARIANT SEED
damage() {
    local file=$1 variant=$2 seed=$3
    local size
    size=$(stat -L -c %s "$file")
    rm -f "$file"
    case $variant in
    missing) ;;
    truncated) head -c $((size / 2)) "$DATA/${file#*/data/}" >"$file" ;;
    random) python3 -c 'import random, sys
random.seed(int(sys.argv[1]))
sys.stdout.buffer.write(bytes(random.getrandbits(8) for _ in range(int(sys.argv[2]))))' "$seed" "$size" >"$file" ;;
    esac
}

# file_cases LIST-OF-RELATIVE-PATHS FULL-SET...: one case per file in rotation,
# or all three per file for the files named in FULL-SET or in ALL mode.
file_cases() {
    local -n files=$1
    local -n full=$2
    local i=0 f v
    for f in "${files[@]}"; do
        local variants=("${VARIANTS[$((i % 3))]}")
        if [ -n "${GLIMMER_RELIABILITY_ALL:-}" ] || [[ " ${full[*]} " == *" $f "* ]]; then variants=("${VARIANTS[@]}"); fi
        for v in "${variants[@]}"; do
            local dir
            dir=$(rp_run_dir "case$CASES" "$DATA")
            damage "$dir/data/$f" "$v" "$CASES"
            rp_case "$f $v" "$GLIMMER" "$dir"
            CASES=$((CASES + 1))
            rm -rf "$dir"
        done
        i=$((i + 1))
    done
}

case $group in
images)
    mapfile -t images < <(cd "$DATA" && { find . -name '*-hd.png'; echo ./vela_font.png; } | sed 's|^\./||' | sort)
    always=(menu-hd.png fonts/editundo-hd.png)
    file_cases images always
    ;;
sounds)
    mapfile -t all_sounds < <(cd "$DATA" && find . -name '*.wav' -o -name '*.ogg' | sed 's|^\./||' | sort)
    if [ -n "${GLIMMER_RELIABILITY_ALL:-}" ]; then sounds=("${all_sounds[@]}"); else
        sounds=()
        for ((k = 0; k < ${#all_sounds[@]}; k += 5)); do sounds+=("${all_sounds[$k]}"); done
    fi
    none=()
    file_cases sounds none

    dir=$(rp_run_dir nosfx "$DATA"); rm -rf "$dir/data/sfx"
    rp_case "sound folder missing" "$GLIMMER" "$dir"; CASES=$((CASES + 1))
    dir=$(rp_run_dir nodata "$DATA"); rm -rf "$dir/data"
    rp_case "data folder missing" "$GLIMMER" "$dir"; CASES=$((CASES + 1))
    dir=$(rp_run_dir noaudio "$DATA")
    rp_case "no audio device" "$GLIMMER" "$dir" env -u ALSOFT_CONF ALSOFT_DRIVERS=no-such-backend; CASES=$((CASES + 1))
    ;;
state)
    # A good state file, saved by the game itself on its way back to the menu.
    dir=$(rp_run_dir good "$DATA")
    rp_case "no state file" "$GLIMMER" "$dir"; CASES=$((CASES + 1))
    good=$RP_WORK/good.state
    cp "$dir/.zephyrstate" "$good" 2>/dev/null || { rp_fail "the game saved no state"; exit 1; }

    # state_case NAME EXPECTED-LINES UNEXPECTED-LINES: with DIR/.zephyrstate prepared.
    state_case() {
        local name=$1 expected=$2 unexpected=$3
        rp_case "state file $name" "$GLIMMER" "$dir"
        local line
        IFS=';' read -r -a lines <<<"$expected"
        for line in "${lines[@]}"; do
            [ -z "$line" ] || grep -qx "$line" "$dir/out.txt" || rp_fail "state file $name: no line '$line'"
        done
        IFS=';' read -r -a lines <<<"$unexpected"
        for line in "${lines[@]}"; do
            [ -z "$line" ] || ! grep -qx "$line" "$dir/out.txt" || rp_fail "state file $name: unexpected line '$line'"
        done
        CASES=$((CASES + 1))
    }
    all="Settings Loaded;Badges Loaded;Highscore 0 Loaded;Highscore 1 Loaded;Highscore 2 Loaded"
    dir=$(rp_run_dir intact "$DATA"); cp "$good" "$dir/.zephyrstate"
    state_case intact "$all" ""
    dir=$(rp_run_dir empty "$DATA"); : >"$dir/.zephyrstate"
    state_case empty "" "$all"
    # Cut just after the settings checksum: the settings are read, nothing else.
    cut=$(python3 -c 'import sys; t = open(sys.argv[1], "rb").read(); print(len(b"|".join(t.split(b"|")[:26])) + 1)' "$good")
    dir=$(rp_run_dir cut "$DATA"); head -c "$cut" "$good" >"$dir/.zephyrstate"
    state_case "cut after the settings" "Settings Loaded" "Badges Loaded;Highscore 0 Loaded"
    # The settings block damaged (setting 1 changed; setting 0 would not show,
    # its weight in the checksum is 0), the rest intact: every later block is read.
    dir=$(rp_run_dir damaged "$DATA")
    python3 -c 'import sys; f = open(sys.argv[1]).read().split("|"); f[1] = str(int(f[1]) + 1); sys.stdout.write("|".join(f))' \
        "$good" >"$dir/.zephyrstate"
    state_case "settings damaged" "Settings Checksum Invalid;Badges Loaded;Highscore 0 Loaded;Highscore 2 Loaded" ""
    for seed in 1 2; do
        dir=$(rp_run_dir random$seed "$DATA")
        python3 -c 'import random, sys
random.seed(int(sys.argv[1]))
sys.stdout.buffer.write(bytes(random.getrandbits(8) for _ in range(700)))' "$seed" >"$dir/.zephyrstate"
        state_case "random bytes $seed" "" "Settings Loaded"
    done
    ;;
*)
    echo "usage: $0 images|sounds|state <glimmer> <data folder>"
    exit 2
    ;;
esac

echo "$group: $CASES cases, $RP_FAILURES failures"
[ "$RP_FAILURES" = 0 ]
