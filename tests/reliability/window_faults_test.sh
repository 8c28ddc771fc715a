#!/bin/bash
# The real program under window abuse during a game of level 1: resizes in
# quick succession (1 x 1 and larger than the screen among them), ten F11
# presses in a row and the focus flapping. The game must stay up, F11 must
# still switch, and afterwards a round must play and save as before.
#
# Usage: window_faults_test.sh <glimmer> <data folder>
set -u
GLIMMER=$(realpath "$1")
DATA=$(realpath "$2")
source "$(dirname "$0")/../lib/real_program.sh"
rp_need import compare
rp_start_x
rp_wave_audio
dir=$(rp_run_dir window "$DATA")
rp_launch "$dir" env GLIMMER_TRACE=1 "$GLIMMER"
rp_find_window 60 && rp_wait_for 60 grep -q menu_frame "$dir/err.txt" || rp_die "no menu"
rp_focus
rp_key Left
rp_key Left
rp_key_shows z 20000 || rp_die "no game started"

alive() { kill -0 "$RP_GAME" 2>/dev/null; }
# wm_state: the window manager's state list of the window (fails for a window gone).
wm_state() { rp_find_window 1 && xprop -id "$RP_WIN" _NET_WM_STATE 2>/dev/null | grep '^_NET_WM_STATE(ATOM) ='; }
fullscreen() { wm_state | grep -q FULLSCREEN; }
windowed() { wm_state | grep -qv FULLSCREEN; }
# f11_to STATE: F11 into the focused window until it is in STATE; a switch
# still under way from earlier presses may undo one, so it tries three times.
f11_to() {
    local _
    for _ in 1 2 3; do
        rp_find_window 10 && rp_focus && xdotool key F11 && rp_wait_for 10 "$1" && return 0
    done
    return 1
}

for size in 800x600 1x1 300x200 2600x1900 641x481 1x1 1500x1000 100x1300 640x480 1x1 1920x1080 700x500; do
    xdotool windowsize "$RP_WIN" "${size%x*}" "${size#*x}" 2>/dev/null
done
rp_check "quick resizes" alive

# Each switch opens a new window, and a press while none has the focus is
# lost, so how many of the ten arrive is not known.
for _ in $(seq 10); do
    rp_find_window 5 && xdotool windowactivate "$RP_WIN" key F11 2>/dev/null
done
rp_check "F11 ten times" alive
rp_check "F11 still switches to fullscreen and back" eval "f11_to fullscreen && f11_to windowed"

rp_other_window || rp_fail "no other window"
for _ in $(seq 40); do
    xdotool windowactivate "$RP_OTHER" 2>/dev/null
    xdotool windowactivate "$RP_WIN" 2>/dev/null
done
rp_check "focus flapping" alive

rp_check "a round after the abuse" rp_round "$dir"
rp_check "the close request ends it" rp_close
rp_check "no runtime error or sanitizer report" rp_output_clean "$dir"
rp_finish
