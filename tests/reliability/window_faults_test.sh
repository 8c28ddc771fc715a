#!/bin/bash
# The real program under window abuse during a game of level 1: resizes in
# quick succession (1 x 1 and larger than the screen among them), repeated
# F11 fullscreen toggles and focus flapping every few updates. Afterwards the
# game must still play a round, and after a final resize it must load every
# picture again at the resolution the new size calls for: "-hd2" files for a
# side above 1230 pixels, "-hd" above 630, the plain files otherwise. Which
# files the program opens is observed with strace.
#
# Usage: window_faults_test.sh <glimmer> <data folder>
set -u
GLIMMER=$(realpath "$1")
DATA=$(realpath "$2")
source "$(dirname "$0")/real_program_lib.sh"
rp_start_x
rp_wave_audio
TRACE=$RP_WORK/trace.txt
dir=$(rp_run_dir window "$DATA")

# LeakSanitizer cannot run under a tracer; the sanitizer build's other checks stay on.
if ! rp_start "$GLIMMER" "$dir" env ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        strace -f -qq -e trace=openat -o "$TRACE"; then
    rp_fail "no window"
    sed -n '1,40p' "$dir/out.txt"
    exit 1
fi
rp_round "$dir" || rp_fail "no round before the abuse"

alive() { kill -0 "$RP_GAME" 2>/dev/null; }

# A game of level 1 in progress.
xdotool windowactivate --sync "$RP_WIN" >/dev/null 2>&1
rp_key Escape; rp_key Left; rp_key Left; rp_key z 0.1 1.0

# Resizes in quick succession.
for size in 800x600 1x1 300x200 2600x1900 641x481 1x1 1500x1000 100x1300 640x480 1x1 1920x1080 700x500; do
    xdotool windowsize "$RP_WIN" "${size%x*}" "${size#*x}" 2>/dev/null
    sleep 0.03
done
sleep 0.5
alive && rp_pass "quick resizes" || rp_fail "the game died during quick resizes"

# Fullscreen on and off, ten times.
# Each toggle opens a new window; the next toggle may come before it shows,
# and a key pressed while no window has the focus is lost, so the number of
# toggles that arrive is not known. Afterwards F11 must still switch, and the
# window is brought back from fullscreen for the checks below.
for _ in $(seq 10); do
    rp_find_window
    xdotool windowactivate "$RP_WIN" >/dev/null 2>&1
    xdotool key F11
    sleep 0.2
done
sleep 0.5
fullscreen() { [ "$(xdotool getwindowgeometry "$RP_WIN" 2>/dev/null | awk '/Geometry/ { print $2 }')" = 1920x1080 ]; }
# toggle_and_wait: one F11, then up to 15 s for the window to change state.
toggle_and_wait() {
    local before _
    rp_find_window
    fullscreen && before=1 || before=0
    xdotool windowactivate --sync "$RP_WIN" >/dev/null 2>&1
    xdotool key F11
    for _ in $(seq 75); do
        sleep 0.2
        rp_find_window || continue
        if fullscreen; then [ "$before" = 0 ] && return 0; else [ "$before" = 1 ] && return 0; fi
    done
    return 1
}
if ! alive; then
    rp_fail "the game died during F11 toggles"
elif ! rp_find_window; then
    rp_fail "no window after F11 toggles"
elif ! toggle_and_wait; then
    rp_fail "F11 no longer switches after quick toggles"
else
    fullscreen && toggle_and_wait
    fullscreen && rp_fail "cannot leave fullscreen after quick toggles" || rp_pass "fullscreen toggles"
fi

# Focus flapping every few updates.
xlogo -geometry 200x200+0+0 >/dev/null 2>&1 &
RP_PIDS+=($!)
other=""
for _ in $(seq 50); do other=$(xdotool search --onlyvisible --class xlogo 2>/dev/null | head -1); [ -n "$other" ] && break; sleep 0.1; done
rp_find_window
for _ in $(seq 40); do
    xdotool windowactivate "$other" >/dev/null 2>&1
    sleep 0.05
    xdotool windowactivate "$RP_WIN" >/dev/null 2>&1
    sleep 0.05
done
sleep 0.5
alive && rp_pass "focus flapping" || rp_fail "the game died during focus flapping"

# check_resolution SIZE SUFFIX-NAME: resize, wait until the loading is over,
# then every picture opened since the resize has the expected suffix.
check_resolution() {
    local size=$1 level=$2
    rp_find_window
    xdotool windowactivate --sync "$RP_WIN" >/dev/null 2>&1
    local mark
    mark=$(wc -l <"$TRACE")
    xdotool windowsize "$RP_WIN" "${size%x*}" "${size#*x}" 2>/dev/null
    # Loading is over when no picture has been opened for two seconds.
    local last=-1 count stable=0
    for _ in $(seq 120); do
        count=$(tail -n +"$((mark + 1))" "$TRACE" | grep -c '\.png"')
        if [ "$count" -gt 0 ] && [ "$count" = "$last" ]; then stable=$((stable + 1)); else stable=0; fi
        [ "$stable" -ge 8 ] && break
        last=$count
        sleep 0.25
    done
    local opened
    opened=$(tail -n +"$((mark + 1))" "$TRACE" | grep -o 'data/[^"]*\.png' | grep -v vela_font | sort -u)
    local n wrong
    n=$(echo "$opened" | grep -c .)
    case $level in
    hd2) wrong=$(echo "$opened" | grep -v -- '-hd2\.png$') ;;
    hd) wrong=$(echo "$opened" | grep -v -- '-hd\.png$') ;;
    plain) wrong=$(echo "$opened" | grep -- '-hd2\?\.png$') ;;
    esac
    if [ "$n" -ge 10 ] && [ -z "$wrong" ]; then
        rp_pass "$size window: $n pictures loaded again, all $level"
    else
        rp_fail "$size window: $n pictures loaded; wrong resolution: $(echo $wrong)"
    fi
}
check_resolution 1300x800 hd2
check_resolution 500x400 plain
check_resolution 900x700 hd

rp_round "$dir" && rp_pass "a round after the abuse" || rp_fail "no round after the abuse (stuck or dead)"
rp_close || rp_fail "exit status on closing"
rp_clean_output "$dir" || { rp_fail "errors in the output"; sed -n '1,40p' "$dir/out.txt"; }
echo "window: $RP_FAILURES failures"
[ "$RP_FAILURES" = 0 ]
