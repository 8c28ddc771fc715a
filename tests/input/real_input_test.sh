#!/bin/bash
# Drives real keyboard and mouse input with xdotool into the real host window
# (input_event_logger) under openbox, and checks the host events and the input
# device state the logger prints for each action.
#
# Usage: real_input_test.sh <input_event_logger>
# Runs on a private Xvfb even when $DISPLAY is set: synthetic input goes to
# whichever window has the focus, so no other test's window may share the screen.
set -u

LOGGER=$1
WORK=$(mktemp -d)
LOG=$WORK/events.log
PIDS=()
FAILURES=0

cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    FAILURES=$((FAILURES + 1))
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>/dev/null &
PIDS+=($!)
for _ in $(seq 200); do [ -s "$WORK/display" ] && break; sleep 0.05; done
[ -s "$WORK/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$(cat "$WORK/display")

# A window manager, for focus and for the close request.
openbox --sm-disable >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 200); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.05; done
# No auto-repeat except where a test asks for it: on a busy machine a tap can
# last longer than the repeat delay.
xset r off 2>/dev/null

: >"$LOG"
# Keep the pointer off the window until the motion checks.
xdotool mousemove 0 0
"$LOGGER" >"$LOG" 2>"$WORK/stderr" &
LOGGER_PID=$!
PIDS+=($LOGGER_PID)

# Lines of the log already checked.
CHECKED=0

# Next lines after those checked, as "<log line number> <text>". Pointer
# motion (the window appearing under the pointer, for one) is skipped unless
# `keep_motion` is 1.
next_lines() {
    local keep_motion=$1
    tail -n +$((CHECKED + 1)) "$LOG" | awk -v from="$CHECKED" -v keep="$keep_motion" \
        'keep == 1 || !/^mouse 6 / { print from + NR, $0 }'
}

# Waits until `count` unchecked lines are there (up to ~10 s).
wait_lines() {
    local count=$1 keep_motion=$2 i
    for i in $(seq 200); do
        [ "$(next_lines "$keep_motion" | wc -l)" -ge "$count" ] && return 0
        kill -0 "$LOGGER_PID" 2>/dev/null || return 1
        sleep 0.05
    done
    return 1
}

# expect <label> <line>...: the next log lines must be exactly these.
expect() {
    local label=$1
    shift
    local keep_motion=0 line
    for line in "$@"; do
        case "$line" in "mouse 6 "*) keep_motion=1 ;; esac
    done
    wait_lines $# "$keep_motion" || true
    local picked actual expected
    picked=$(next_lines "$keep_motion" | head -n $#)
    actual=$(printf '%s\n' "$picked" | cut -d' ' -f2-)
    expected=$(printf '%s\n' "$@")
    if [ "$actual" != "$expected" ]; then
        fail "$label"
        echo "  expected:"; printf '    %s\n' "$@"
        echo "  actual:"; printf '%s\n' "$actual" | sed 's/^/    /'
    fi
    local last
    last=$(printf '%s\n' "$picked" | tail -n 1 | cut -d' ' -f1)
    [ -n "$last" ] && CHECKED=$last
}

# Lines a tap of a key produces: down, the character it types (if any), up.
tap_lines() {
    local code=$1 char=${2:-}
    echo "key 1 $code down 1 hit 1"
    [ -n "$char" ] && echo "char $char"
    echo "key 2 $code down 0 hit 0"
}

# expect_tap <xdotool key> <code> [character]
expect_tap() {
    xdotool key "$1"
    mapfile -t lines < <(tap_lines "$2" "${3:-}")
    expect "key $1" "${lines[@]}"
}

# Waits for the logger's visible window whose width is (or, with "!", is
# not) the given one and prints its id.
find_window() {
    local want=$1 w width
    for _ in $(seq 200); do
        for w in $(xdotool search --onlyvisible --pid "$LOGGER_PID" 2>/dev/null); do
            width=$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
            [ -n "$width" ] || continue
            if [ "${want#!}" != "$want" ]; then
                [ "$width" != "${want#!}" ] && { echo "$w"; return 0; }
            elif [ "$width" = "$want" ]; then
                echo "$w"
                return 0
            fi
        done
        sleep 0.05
    done
    return 1
}

expect "start" "start"
WID=$(xdotool search --sync --onlyvisible --pid "$LOGGER_PID" | head -n 1)
[ -n "$WID" ] || { fail "no window"; exit 1; }
xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID"

# Keys and the characters they type.
expect_tap a 65 97
expect_tap z 90 122
expect_tap 0 48 48
expect_tap 9 57 57
expect_tap space 32 32
expect_tap Left 37 65573
expect_tap Up 38 65574
expect_tap Right 39 65575
expect_tap Down 40 65576
expect_tap Escape 27 27
expect_tap Return 13 13
expect_tap BackSpace 8 8
expect_tap Tab 9 9
expect_tap Delete 46 127
expect_tap Home 36 65572
expect_tap Shift_L 16
expect_tap Control_L 17
# xdotool holds the left key as the modifier while it taps the right one.
# Both share one code: the second press adds no hit, the first release
# releases the code.
for side in "Shift_R 16" "Control_R 17"; do
    set -- $side
    xdotool key "$1"
    expect "key $1" "key 1 $2 down 1 hit 1" "key 1 $2 down 1 hit 0" "key 2 $2 down 0 hit 0" "key 2 $2 down 0 hit 0"
done
for f in 1 2 3 4 5 6 7 8 9 10 12; do
    expect_tap "F$f" $((111 + f))
done

# Shift with a letter: the shift key, then the capital character (xdotool
# lets go of the modifier first).
xdotool key shift+a
expect "shift+a" "key 1 16 down 1 hit 1" "key 1 65 down 1 hit 1" "char 65" \
    "key 2 16 down 0 hit 0" "key 2 65 down 0 hit 0"

# A held key repeats: no new hit, but the character again each time. The
# key is held until the first repeat has arrived.
xset r on 2>/dev/null
xdotool keydown Left
for _ in $(seq 200); do
    [ "$(tail -n +$((CHECKED + 1)) "$LOG" | grep -c '^key 1 37 ')" -ge 2 ] && break
    sleep 0.05
done
xdotool keyup Left
expect "held Left" "key 1 37 down 1 hit 1" "char 65573" "key 1 37 down 1 hit 0" "char 65573"
while [ "$(next_lines 0 | head -n 1 | cut -d' ' -f2-)" = "key 1 37 down 1 hit 0" ]; do
    expect "held Left, later repeats" "key 1 37 down 1 hit 0" "char 65573"
done
expect "held Left released" "key 2 37 down 0 hit 0"
xset r off 2>/dev/null

# Keys outside the table give no key event; keypad digits and signs still
# type their characters. Escape after them shows they were handled.
xdotool key F13 KP_1 KP_Enter KP_Add Alt_L Super_L
xdotool key Escape
expect "keys outside the table" "char 49" "char 43" "key 1 27 down 1 hit 1" "char 27" "key 2 27 down 0 hit 0"

# Pointer motion moves the mouse position and finger 0. Motion reported
# earlier (the window appearing under the pointer) may come first.
xdotool mousemove --window "$WID" 100 50
MOVED=""
for _ in $(seq 200); do
    while [ "$(wc -l <"$LOG")" -gt "$CHECKED" ]; do
        CHECKED=$((CHECKED + 1))
        line=$(sed -n "${CHECKED}p" "$LOG")
        case "$line" in
        "mouse 6 -1 100 50 down 0 hit 0 touch0 0 0 pointer 100 50 finger0 100 50") MOVED=1 ;;
        "mouse 6 "*) ;;
        *) fail "motion"; echo "  unexpected: $line" ;;
        esac
    done
    [ -n "$MOVED" ] && break
    sleep 0.05
done
[ -n "$MOVED" ] || fail "motion: no move to (100, 50)"

# Buttons 1-3 (left, middle, right) are codes 1, 3 and 2 at the pointer;
# the left button also presses finger 0.
xdotool click 1
expect "left button" "mouse 4 0 100 50 down 1 hit 1 touch0 1 1 pointer 100 50 finger0 100 50" \
    "mouse 5 0 100 50 down 0 hit 0 touch0 0 0 pointer 100 50 finger0 100 50"
xdotool mousemove --window "$WID" 120 70 click 3
expect "right button" "mouse 6 -1 120 70 down 0 hit 0 touch0 0 0 pointer 120 70 finger0 120 70" \
    "mouse 4 1 120 70 down 1 hit 1 touch0 0 0 pointer 120 70 finger0 120 70" \
    "mouse 5 1 120 70 down 0 hit 0 touch0 0 0 pointer 120 70 finger0 120 70"
# A fourth button gives nothing; the middle button after it shows it was handled.
xdotool click 8 click 2
expect "middle button" "mouse 4 2 120 70 down 1 hit 1 touch0 0 0 pointer 120 70 finger0 120 70" \
    "mouse 5 2 120 70 down 0 hit 0 touch0 0 0 pointer 120 70 finger0 120 70"

# F11 reaches the game and switches the host to fullscreen and back.
SCREEN_W=$(xdotool getdisplaygeometry | cut -d' ' -f1)
xdotool key F11
expect "F11 to fullscreen" "key 1 122 down 1 hit 1" "key 2 122 down 0 hit 0"
WID=$(find_window "$SCREEN_W") || fail "F11: no fullscreen window"
xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID"
expect_tap b 66 98
xdotool key F11
expect "F11 back to the window" "key 1 122 down 1 hit 1" "key 2 122 down 0 hit 0"
WID=$(find_window "!$SCREEN_W") || fail "F11: no window after leaving fullscreen"

# The window manager's close request is a hit of the close key; the window
# stays open until the game, like the real one, exits on it with status 0.
wmctrl -i -c "$WID"
expect "close" "key 1 432 down 1 hit 1"
STATUS=1
for _ in $(seq 200); do
    if ! kill -0 "$LOGGER_PID" 2>/dev/null; then
        wait "$LOGGER_PID"
        STATUS=$?
        break
    fi
    sleep 0.05
done
[ "$STATUS" -eq 0 ] || fail "exit status after close: expected 0, got $STATUS"

EXTRA=$(tail -n +$((CHECKED + 1)) "$LOG" | grep -v '^mouse 6 ')
[ -z "$EXTRA" ] || { fail "unexpected events at the end"; printf '    %s\n' "$EXTRA"; }

echo "checked $CHECKED event lines, $FAILURES failures"
[ "$FAILURES" -eq 0 ]
