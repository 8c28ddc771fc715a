#!/bin/bash
# Real keyboard and mouse events, sent by xdotool into the real host window
# (input_event_logger), must reach the input device as the game reads them:
# the logger prints each host event with the device's state right after it.
#
# Usage: real_input_test.sh <input_event_logger>
set -u
LOGGER=$(realpath "$1")
source "$(dirname "$0")/../lib/real_program.sh"
rp_start_x 1024x768
xdotool mousemove 0 0
rp_start "$RP_WORK" "$LOGGER" || rp_die "no logger window"
LOG=$RP_WORK/out.txt

# A tap: down with a hit, the character it types (if any), up.
tap() { echo "key 1 $1 down 1 hit 1"; [ -z "${2:-}" ] || echo "char $2"; echo "key 2 $1 down 0 hit 0"; }
# Pointer lines at (X, Y): "mouse EVENT BUTTON X Y down D hit H touch0 D H pointer X Y finger0 X Y".
at() { echo "mouse $1 $2 $4 $5 down $3 hit $3 touch0 $6 $6 pointer $4 $5 finger0 $4 $5"; }
keys() { grep -v '^mouse 6 \|^start$' "$LOG"; }
lines_at_least() { [ "$(keys | wc -l)" -ge "$1" ]; }

# Keys outside the game's key space give no key event, but keypad digits and
# signs still type their characters; the shifted letter types a capital.
xdotool key a 0 space Left Delete Return F5 shift+a F13 KP_1 KP_Enter KP_Add Alt_L Super_L Escape
expected=$(tap 65 97; tap 48 48; tap 32 32; tap 37 65573; tap 46 127; tap 13 13; tap 116
    printf '%s\n' "key 1 16 down 1 hit 1" "key 1 65 down 1 hit 1" "char 65" "key 2 16 down 0 hit 0" \
        "key 2 65 down 0 hit 0" "char 49" "char 43"
    tap 27 27)
rp_wait_for 20 lines_at_least "$(wc -l <<<"$expected")"
[ "$(keys)" = "$expected" ] && rp_pass "keys and characters" ||
    rp_fail "keys and characters: $(diff <(echo "$expected") <(keys) | tr '\n' ' ')"

# A held key repeats: no new hit, but its character again each time.
mark=$(keys | wc -l)
xset r on
xdotool keydown Left
rp_wait_for 20 lines_at_least $((mark + 4))
xdotool keyup Left
xset r off
rp_wait_for 10 sh -c "grep -q '^key 2 37 ' $LOG"
keys | tail -n +$((mark + 1)) | tr '\n' ';' | grep -qxE \
    "key 1 37 down 1 hit 1;char 65573;(key 1 37 down 1 hit 0;char 65573;)+key 2 37 down 0 hit 0;" &&
    rp_pass "held key repeats" || rp_fail "held key: $(keys | tail -n +$((mark + 1)) | tr '\n' ';')"

# The pointer moves the mouse and finger 0; buttons 1-3 (left, right,
# middle) are mouse buttons 0-2 at the pointer, the left one also finger 0;
# a button beyond those gives nothing.
mark=$(keys | wc -l)
xdotool mousemove --window "$RP_WIN" 100 50
rp_check "pointer motion" rp_wait_for 10 grep -qx "$(at 6 -1 0 100 50 0)" "$LOG"
# The move waits for the first click to be seen: a button reports where the
# pointer is when the game reads it, and a busy machine may read both at once.
xdotool click 1
rp_wait_for 10 lines_at_least $((mark + 2))
xdotool mousemove --window "$RP_WIN" 120 70 click 3 click 8 click 2
expected=$(at 4 0 1 100 50 1; at 5 0 0 100 50 0; at 4 1 1 120 70 0; at 5 1 0 120 70 0; at 4 2 1 120 70 0
    at 5 2 0 120 70 0)
rp_wait_for 10 lines_at_least $((mark + 6))
[ "$(keys | tail -n +$((mark + 1)))" = "$expected" ] && rp_pass "mouse buttons" ||
    rp_fail "mouse buttons: $(keys | tail -n +$((mark + 1)) | tr '\n' ';')"

# The close request is a hit of the close key, on which the logger, like
# the game, ends.
wmctrl -i -c "$RP_WIN"
rp_wait_exit 20
[ "$(keys | tail -n 1)" = "key 1 432 down 1 hit 1" ] && rp_pass "close key" || rp_fail "close: last line $(keys | tail -n 1)"
rp_finish
