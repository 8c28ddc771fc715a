#!/bin/bash
# The real program with one data file damaged at a time, or with no sound:
# each time it must reach the menu, play a game of level 1, return to the
# menu (saving on the way) and end on a close request, printing no runtime
# error or sanitizer report.
#
# Usage: data_faults_test.sh images|sounds <glimmer> <data folder>
#   images: every picture loaded at 640 x 480 ("-hd" files, the default font,
#           the window icons), each missing, cut to half or random bytes of
#           the same size in rotation; the menu picture and the game font get all three.
#   sounds: every fifth sound effect in rotation, the sound folder missing,
#           the whole data folder missing, and no audio device.
# GLIMMER_RELIABILITY_ALL=1 tries all three damages on every file.
set -u
group=$1
GLIMMER=$(realpath "$2")
DATA=$(realpath "$3")
source "$(dirname "$0")/../lib/real_program.sh"
rp_need python3 import compare
rp_start_x
rp_wave_audio
VARIANTS=(missing truncated random)
cases=0

# run_case NAME DIR [COMMAND PREFIX...]: one start, round and close.
run_case() {
    local name=$1 dir=$2 why=""
    shift 2
    rp_launch "$dir" "$@" env GLIMMER_TRACE=1 "$GLIMMER"
    if ! rp_find_window 60 || ! rp_wait_for 60 grep -q menu_frame "$dir/err.txt"; then
        why="no menu"
    elif ! rp_round "$dir"; then
        why="no game played and saved"
    elif ! rp_close; then
        why="no exit"
    fi
    [ -z "$why" ] && ! rp_output_clean "$dir" && why="errors in the output"
    [ -n "$RP_GAME" ] && kill -9 "$RP_GAME" 2>/dev/null
    RP_GAME=""
    cases=$((cases + 1))
    [ -z "$why" ] && { rp_pass "$name"; rm -rf "$dir"; return; }
    rp_fail "$name: $why"
    grep -v '^glimmer-trace\|^AL lib' "$dir/out.txt" "$dir/err.txt" | head -n 20
}

# damage_cases ALWAYS-ALL FILE...: one case per file, the damages in rotation
# (all three for the files named in ALWAYS-ALL).
damage_cases() {
    local full=" $1 " i=0 f v dir size
    shift
    for f in "$@"; do
        local variants=("${VARIANTS[$((i % 3))]}")
        [[ -n "${GLIMMER_RELIABILITY_ALL:-}" || "$full" == *" $f "* ]] && variants=("${VARIANTS[@]}")
        for v in "${variants[@]}"; do
            dir=$(rp_run_dir "case$cases" "$DATA")
            size=$(stat -c %s "$DATA/$f")
            rm "$dir/data/$f"
            case $v in
            truncated) head -c $((size / 2)) "$DATA/$f" >"$dir/data/$f" ;;
            random) python3 -c 'import random, sys; random.seed(int(sys.argv[1]))
sys.stdout.buffer.write(random.randbytes(int(sys.argv[2])))' "$cases" "$size" >"$dir/data/$f" ;;
            esac
            run_case "$f $v" "$dir"
        done
        i=$((i + 1))
    done
}

cd "$DATA" || exit 1
case $group in
images)
    damage_cases "menu-hd.png fonts/editundo-hd.png" $(find . -name '*-hd.png' -o -name vela_font.png -o -path './icon/*' |
        sed 's|^\./||' | sort)
    ;;
sounds)
    mapfile -t sounds < <(find . -name '*.wav' -o -name '*.ogg' | sed 's|^\./||' | sort)
    [ -n "${GLIMMER_RELIABILITY_ALL:-}" ] || mapfile -t sounds < <(printf '%s\n' "${sounds[@]}" | awk 'NR % 5 == 1')
    damage_cases "" "${sounds[@]}"
    dir=$(rp_run_dir nosfx "$DATA") && rm -r "$dir/data/sfx" && run_case "sound folder missing" "$dir"
    dir=$(rp_run_dir nodata "$DATA") && rm -r "$dir/data" && run_case "data folder missing" "$dir"
    dir=$(rp_run_dir noaudio "$DATA") && run_case "no audio device" "$dir" env -u ALSOFT_CONF ALSOFT_DRIVERS=none
    ;;
*) rp_die "usage: $0 images|sounds <glimmer> <data folder>" ;;
esac
echo "$group: $cases cases"
rp_finish
