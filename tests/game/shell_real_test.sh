#!/bin/bash
# The real program as a player meets it: no display, then the window with
# its icons, the loading screen and the menu at each picture resolution the
# window size calls for, focus loss and iconifying (each saves), the menu's sounds heard
# in OpenAL Soft's wave file, F11 to fullscreen and back, one resize, and the
# close request. The test data tints each resolution's title its own colour:
# green for the plain files, magenta "-hd", cyan "-hd2".
#
# Usage: shell_real_test.sh <glimmer> <data folder>
set -u
GLIMMER=$(realpath "$1")
DATA=$(realpath "$2")
source "$(dirname "$0")/../lib/real_program.sh"
rp_need convert import xwd xwininfo xprop sox soxi python3

# catch_loading W H: lets the program run 20 ms at a time, stopped while its
# window is captured, until a capture shows the menu after the loading
# screen: clear colour (40, 40, 80) in the corner and, at 640 x 480, the
# yellow disc above the centre and the orange band at the left edge, each
# drawn half transparent over the clear colour. Stopped while captured, the
# program cannot pass its 34 updates of loading unseen, however slow the
# machine. Finds the window first when there is none yet.
catch_loading() {
    local w=$1 h=$2 shot=$RP_WORK/load.xwd found="" corner end=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$end" ] && kill -CONT "$RP_GAME" 2>/dev/null; do
        sleep 0.02
        kill -STOP "$RP_GAME"
        [ -n "$RP_WIN" ] || RP_WIN=$(rp_windows | head -n 1)
        [ -n "$RP_WIN" ] && xwd -id "$RP_WIN" -silent >"$shot" 2>/dev/null || continue
        corner=$(rp_pixel "xwd:$shot" 3 3)
        if near "$corner" 40 40 80 6; then
            [ -n "$found" ] || { found=$RP_WORK/loading-$w.png; convert "xwd:$shot" "$found"; }
        elif [ -n "$found" ] && [ "$corner" != "0 0 0" ]; then
            break
        fi
    done
    kill -CONT "$RP_GAME" 2>/dev/null
    [ -n "$RP_WIN" ] || rp_die "no window titled Glimmer"
    [ -n "$found" ] || { rp_fail "${w}x$h: no loading screen"; return; }
    [ "$w" = 640 ] || { rp_pass "${w}x$h: loading screen"; return; }
    rp_near "$found" 320 106 212 212 16 8 && rp_near "$found" 3 240 187 124 66 8 &&
        rp_pass "loading screen: disc and band" ||
        rp_fail "loading screen: disc $(rp_pixel "$found" 320 106), band $(rp_pixel "$found" 3 240)"
}

# near "R G B" R G B TOL: every channel within TOL.
near() {
    local p d
    read -r -a p <<<"$1"
    for d in $((p[0] - $2)) $((p[1] - $3)) $((p[2] - $4)); do [ "${d#-}" -le "$5" ] || return 1; done
}

# heard_since BYTES: the wave file holds a sample louder than 2% of full scale after its first BYTES bytes.
heard_since() {
    python3 -c 'import sys, array
with open(sys.argv[1], "rb") as f:
    f.seek(int(sys.argv[2]) & ~3)
    s = array.array("h", f.read())
sys.exit(0 if s and max(map(abs, s)) > 655 else 1)' "$RP_WAV" "$1"
}

# hold_until KEY COMMAND...: holds the key down until the command succeeds (10 s at most).
hold_until() {
    local key=$1 status
    shift
    xdotool keydown "$key"
    rp_wait_for 10 "$@"
    status=$?
    xdotool keyup "$key"
    return $status
}

window_is() { rp_find_window 1 && [ "$(rp_window_size)" = "$1 $2" ]; }
tinted() { [ "$(rp_count_colour "$(rp_shot menu)" 0 0 "$1" "$2" "$3")" -gt $(($1 * $2 / 50)) ]; }

# menu_shows TINT NAME: the menu's title, in the tint of the resolution
# expected, covers a fiftieth of the window within 60 s.
menu_shows() {
    local w h
    read -r w h <<<"$(rp_window_size)"
    if rp_wait_for 60 tinted "$w" "$h" "$1"; then
        rp_pass "${w}x$h: menu with the $2 title"
    else
        rp_fail "${w}x$h: no menu with the $2 title"
    fi
}

dir=$(rp_run_dir nodisplay "$DATA")
(unset DISPLAY WAYLAND_DISPLAY; rp_launch "$dir" "$GLIMMER"; rp_wait_exit 20; echo "$RP_STATUS" >"$dir/status")
[ "$(cat "$dir/status")" = 255 ] && [ "$(cat "$dir/out.txt")" = "glfwInit failed" ] &&
    rp_pass "no display: glfwInit failed, 255" ||
    rp_fail "no display: status $(cat "$dir/status"), printed '$(cat "$dir/out.txt")'"

rp_start_x
rp_wave_audio
dir=$(rp_run_dir smoke "$DATA")
for tint in ":#00ff00" "-hd:#ff00ff" "-hd2:#00ffff"; do
    logo=$dir/data/logo${tint%%:*}.png
    rm "$logo"
    convert "$DATA/${logo##*/}" -channel RGB -fill "${tint#*:}" -colorize 100 +channel "PNG32:$logo"
done
xdotool mousemove 0 0
rp_launch "$dir" "$GLIMMER"
catch_loading 640 480
rp_focus || rp_fail "the window did not get the focus"
# The window opens 640 x 480, centred on the 1920 x 1080 screen.
geometry=$(xwininfo -id "$RP_WIN" | awk '/Absolute|Width|Height/ { printf "%s ", $NF }')
[ "$geometry" = "640 300 640 480 " ] && rp_pass "window 640 x 480 centred" || rp_fail "window at x y w h: $geometry"
menu_shows "#ff00ff" '"-hd"'
has_icons() { xprop -id "$RP_WIN" _NET_WM_ICON | grep -q 'Icon (48 x 48)' && xprop -id "$RP_WIN" _NET_WM_ICON | grep -q 'Icon (32 x 32)'; }
rp_check "the window has its 32 and 48 pixel icons" rp_wait_for 10 has_icons

# Focus loss and iconifying suspend the game, which saves; getting the focus
# back resumes it (the second save needs a resume in between, the menu's
# sounds below need the sound resumed).
inode=$(rp_state_inode "$dir")
rp_other_window || rp_fail "no other window took the focus"
rp_check "focus loss saves" rp_wait_for 10 rp_saved_since "$dir" "$inode"
rp_focus || rp_fail "the window did not get the focus back"
inode=$(rp_state_inode "$dir")
xdotool windowminimize "$RP_WIN"
rp_check "iconifying saves" rp_wait_for 10 rp_saved_since "$dir" "$inode"
rp_focus || rp_fail "the window did not come back from the icon"

# The menu is silent until the selection moves; Down is held until that is heard.
silent_bytes=$(stat -c %s "$RP_WAV")
rp_check "a selection move heard" hold_until Down heard_since "$silent_bytes"

# F11: the fullscreen window at 1920 x 1080 loads the "-hd2" pictures, and
# F11 again brings back the 640 x 480 window.
xdotool key F11
rp_check "F11: fullscreen" rp_wait_for 10 window_is 1920 1080
menu_shows "#00ffff" '"-hd2"'
rp_focus
xdotool key F11
rp_check "F11 again: 640 x 480 window" rp_wait_for 10 window_is 640 480
rp_check "the window made again has its icons" rp_wait_for 10 has_icons

# A resize to 600 x 450 restarts loading, for the plain pictures.
xdotool windowsize "$RP_WIN" 600 450
catch_loading 600 450
menu_shows "#00ff00" "plain"

# The close request ends the program with status 0, having printed nothing.
rp_close
[ "$RP_STATUS" = 0 ] && rp_pass "close: status 0" || rp_fail "close: status $RP_STATUS"
[ ! -s "$dir/out.txt" ] && ! grep -v '^AL lib' "$dir/err.txt" && rp_pass "nothing printed" || rp_fail "printed something"

rate=$(soxi -r "$RP_WAV")
mark=$(awk -v b="$silent_bytes" -v r="$rate" 'BEGIN { s = (b - 44) / (r * 4) - 0.05; printf "%.3f", s < 0 ? 0 : s }')
quiet=$(rp_peak "$RP_WAV" 0 "$mark")
awk -v q="$quiet" 'BEGIN { exit !(q < 0.001) }' && rp_pass "silent menu ($quiet)" || rp_fail "peak before the keys: $quiet"
rp_finish
