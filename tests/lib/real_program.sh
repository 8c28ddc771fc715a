# Shared helpers for the tests that drive a real program in a real window
# (sourced, bash). One private X server (and openbox) per script, a work
# folder removed on exit, sound into a wave file, the window found by its
# title, real key presses and clicks through xdotool, the close request and
# the wait for the program's exit. Every wait polls what the program shows or
# writes, with a limit; nothing here passes when a tool is missing.
#
#   source tests/lib/real_program.sh
#   rp_start_x                      # Xvfb 1920x1080 + openbox; rp_start_x 1280x1024 nowm for none
#   rp_wave_audio                   # OpenAL Soft plays into $RP_WAV
#   dir=$(rp_run_dir main "$DATA")  # a run folder whose data/ links to the real files
#   rp_start "$dir" "$GLIMMER" || rp_fail "no window"
#   rp_key Down; rp_click 32 240; f=$(rp_shot menu); rp_near "$f" 3 3 0 0 80 4
#   rp_close; [ "$RP_STATUS" = 0 ] || rp_fail "status $RP_STATUS"
#   rp_finish                       # exit status: 1 when any check failed

RP_PIDS=()
RP_FAILURES=0
RP_GAME=""
RP_WIN=""
RP_STATUS=""
RP_TITLE=${RP_TITLE:-Glimmer}
RP_WORK=$(mktemp -d /tmp/glimmer-test.XXXXXX)

rp_cleanup() {
    local pid
    [ -n "$RP_GAME" ] && kill -9 "$RP_GAME" 2>/dev/null
    for pid in "${RP_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ -n "${KEEP_WORK:-}" ]; then echo "work files kept in $RP_WORK"; else rm -rf "$RP_WORK"; fi
}
trap rp_cleanup EXIT

rp_fail() { echo "FAIL: $*"; RP_FAILURES=$((RP_FAILURES + 1)); }
rp_pass() { echo "ok: $*"; }
# rp_check DESCRIPTION COMMAND...: ok or FAIL by the command's status.
rp_check() { local what=$1; shift; if "$@"; then rp_pass "$what"; else rp_fail "$what"; fi; }
# rp_die MESSAGE: a failure after which nothing else can be checked.
rp_die() { rp_fail "$*"; rp_finish; }

# rp_need TOOL...: fails the script when a tool it drives is missing.
rp_need() {
    local t
    for t in "$@"; do command -v "$t" >/dev/null 2>&1 || rp_die "$t is not installed"; done
}

# rp_wait_for SECONDS COMMAND...: polls the command until it succeeds.
rp_wait_for() {
    local end=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -ge "$end" ] && return 1
        sleep 0.05
    done
}

# rp_start_x [WIDTHxHEIGHT] [nowm]: a private X server (the server picks a
# free display) and, unless "nowm", openbox managing windows; exports DISPLAY.
# Key auto-repeat is off: on a busy machine a tap can outlast the repeat delay.
rp_start_x() {
    local geometry=${1:-1920x1080} wm=${2:-wm}
    rp_need Xvfb xdpyinfo xdotool xprop xset
    # -noreset: the server stays up while clients come and go.
    Xvfb -displayfd 3 -screen 0 "${geometry}x24" -nolisten tcp -noreset 3>"$RP_WORK/display" 2>/dev/null &
    RP_PIDS+=($!)
    rp_wait_for 20 test -s "$RP_WORK/display" || rp_die "Xvfb did not start"
    export DISPLAY=":$(cat "$RP_WORK/display")"
    rp_wait_for 20 xdpyinfo || rp_die "the X server at $DISPLAY does not answer"
    xset r off
    [ "$wm" = nowm ] && return 0
    rp_need openbox wmctrl
    openbox --sm-disable >"$RP_WORK/openbox.log" 2>&1 &
    RP_PIDS+=($!)
    # openbox announces itself on the root window once it manages windows.
    rp_wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        rp_die "openbox did not start: $(cat "$RP_WORK/openbox.log")"
}

# rp_wave_audio: OpenAL Soft writes everything played into $RP_WAV (16-bit stereo).
rp_wave_audio() {
    RP_WAV=$RP_WORK/out.wav
    printf '[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\n[wave]\nfile = %s\n' \
        "$RP_WAV" >"$RP_WORK/alsoft.conf"
    export ALSOFT_CONF=$RP_WORK/alsoft.conf
    unset ALSOFT_DRIVERS
}

# rp_run_dir NAME DATA: prints a fresh run folder whose data/ holds links to
# DATA's files, so that a test can replace single files.
rp_run_dir() {
    local dir=$RP_WORK/$1
    rm -rf "$dir"
    mkdir -p "$dir"
    cp -rs "$(realpath "$2")" "$dir/data"
    echo "$dir"
}

# rp_launch DIR COMMAND...: starts the command in DIR with no input; its
# standard output goes to DIR/out.txt and standard error to DIR/err.txt. Sets RP_GAME.
rp_launch() {
    local dir=$1
    shift
    (cd "$dir" && exec "$@" >"$dir/out.txt" 2>"$dir/err.txt" </dev/null) &
    RP_GAME=$!
    RP_DIR=$dir
}

# rp_start DIR COMMAND...: rp_launch, then waits for the window and gives it
# the focus. Returns 1 when no window appears.
rp_start() {
    rp_launch "$@"
    rp_find_window 60 || return 1
    rp_focus
}

# rp_windows: ids of the visible windows titled $RP_TITLE.
rp_windows() { xdotool search --onlyvisible --name "^$RP_TITLE\$" 2>/dev/null; }

# rp_find_window [SECONDS]: sets RP_WIN to the program's window (a fullscreen
# switch replaces the window, so callers look again after one).
rp_find_window() {
    local end=$((SECONDS + ${1:-20}))
    while :; do
        RP_WIN=$(rp_windows | head -n 1)
        [ -n "$RP_WIN" ] && return 0
        [ "$SECONDS" -ge "$end" ] && return 1
        [ -n "$RP_GAME" ] && ! kill -0 "$RP_GAME" 2>/dev/null && return 1
        sleep 0.05
    done
}

# rp_focus: activates the window and waits until it has the focus.
rp_focus() {
    xdotool windowactivate "$RP_WIN" >/dev/null 2>&1
    rp_wait_for 10 sh -c "xdotool getwindowfocus | grep -qx $RP_WIN"
}

# rp_other_window: another client's window (xlogo) takes the focus from ours.
rp_other_window() {
    rp_need xlogo
    if [ -z "${RP_OTHER:-}" ]; then
        xlogo -geometry 120x120+0+0 >/dev/null 2>&1 &
        RP_PIDS+=($!)
        rp_wait_for 10 sh -c 'xdotool search --onlyvisible --class xlogo' || return 1
        RP_OTHER=$(xdotool search --onlyvisible --class xlogo | head -n 1)
    fi
    xdotool windowactivate "$RP_OTHER" >/dev/null 2>&1
    rp_wait_for 10 sh -c "xdotool getwindowfocus | grep -qx $RP_OTHER"
}

# rp_window_size: "WIDTH HEIGHT" of the window.
rp_window_size() {
    xdotool getwindowgeometry "$RP_WIN" | awk '/Geometry/ { split($2, s, "x"); print s[1], s[2] }'
}

# rp_key KEY [HOLD] [AFTER]: a real key press. The game reads keys as held
# once per update, so the key stays down HOLD seconds (default 0.1).
rp_key() {
    xdotool keydown "$1"
    sleep "${2:-0.1}"
    xdotool keyup "$1"
    sleep "${3:-0.15}"
}

# rp_click X Y: a left click at window pixel (X, Y), held for a few updates,
# then the pointer moves away to a corner.
rp_click() {
    xdotool mousemove --window "$RP_WIN" "$1" "$2" mousedown 1
    sleep 0.15
    xdotool mouseup 1
    sleep 0.15
    xdotool mousemove 0 0
}

# rp_shot NAME: prints the path of a new screenshot of the window (PNG).
rp_shot() {
    local file
    file=$RP_WORK/shot-$(date +%s%N)-$1.png
    import -window "$RP_WIN" "$file" 2>/dev/null || xwd -id "$RP_WIN" -silent | convert xwd:- "$file"
    echo "$file"
}

# rp_pixel FILE X Y: "R G B" of one pixel, 0-255.
rp_pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# rp_near FILE X Y R G B TOL: true when every channel of the pixel is within TOL.
rp_near() {
    local p d
    read -r -a p <<<"$(rp_pixel "$1" "$2" "$3")"
    [ "${#p[@]}" -eq 3 ] || return 1
    for d in $((p[0] - $4)) $((p[1] - $5)) $((p[2] - $6)); do
        [ "${d#-}" -le "$7" ] || return 1
    done
}

# rp_count_colour FILE X Y W H COLOUR: pixels of the rectangle within 10% of COLOUR.
rp_count_colour() {
    convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -alpha off -fuzz 10% \
        -fill black +opaque "$6" -fill white -opaque "$6" -format "%[fx:int(mean*w*h+0.5)]" info:
}

# rp_differs A B COUNT: true when more than COUNT pixels of two shots differ
# by over 10%; B "@" is a new shot of the window.
rp_differs() {
    local n b=$2
    [ "$b" = @ ] && b=$(rp_shot now)
    n=$(compare -metric AE -fuzz 10% "$1" "$b" null: 2>&1)
    [ "${n%%[. ]*}" -gt "$3" ] 2>/dev/null
}

# rp_key_shows KEY COUNT [SECONDS]: a key press, then a wait until the window
# shows a picture that differs from the one before the press in more than COUNT pixels.
rp_key_shows() {
    local before
    before=$(rp_shot before)
    rp_key "$1"
    rp_wait_for "${3:-10}" rp_differs "$before" @ "$2"
}

# rp_state_inode DIR: the inode of the program's state file (empty without
# one); each save renames a new file into place, so a save changes it.
rp_state_inode() { stat -c %i "$1/.zephyrstate" 2>/dev/null; }
# rp_saved_since DIR INODE: the program has saved since its state file had INODE.
rp_saved_since() { local now; now=$(rp_state_inode "$1") && [ "$now" != "$2" ]; }

# rp_wait_exit SECONDS: waits for the program to end and sets RP_STATUS;
# on timeout kills it and returns 1 (RP_STATUS "timeout").
rp_wait_exit() {
    if ! rp_wait_for "$1" sh -c "! kill -0 $RP_GAME"; then
        kill -9 "$RP_GAME" 2>/dev/null
        wait "$RP_GAME" 2>/dev/null
        RP_STATUS=timeout
        RP_GAME=""
        return 1
    fi
    wait "$RP_GAME"
    RP_STATUS=$?
    RP_GAME=""
}

# rp_close [SECONDS]: the window manager's close request, then rp_wait_exit.
rp_close() {
    rp_find_window 5
    wmctrl -i -c "$RP_WIN" 2>/dev/null
    rp_wait_exit "${1:-20}"
}

# rp_output_clean DIR: no runtime error or sanitizer report in the program's output.
rp_output_clean() {
    ! cat "$1/out.txt" "$1/err.txt" 2>/dev/null |
        grep -qE "Runtime Error|AddressSanitizer|LeakSanitizer|runtime error:|ThreadSanitizer"
}

# rp_peak WAVE [FROM] [TO]: the largest sample of a wave file (0 to 1) between two times in seconds.
rp_peak() {
    local trim="trim ${2:-0}"
    [ -n "${3:-}" ] && trim="$trim =$3"
    sox "$1" -n $trim stat 2>&1 | awk '/Maximum amplitude/ { print $3 }'
}

# rp_round DIR: from the menu (or a game in progress) a game of level 1 is
# started, played a little, left through the pause panel's quit, and the game
# saves on its way back to the menu. Tries again until that save is seen.
rp_round() {
    local dir=$1 before end=$((SECONDS + ${2:-90}))
    before=$(rp_state_inode "$dir")
    while [ "$SECONDS" -lt "$end" ]; do
        rp_find_window 10 && rp_focus || return 1
        rp_key Escape; rp_key Left; rp_key Left      # credits closed, "play" selected
        rp_key_shows z 20000                         # a new game on level 1
        rp_key Right 0.6; rp_key x                   # a few moves
        rp_key_shows Escape 5000 5                   # the pause panel
        rp_key Up; rp_key z                          # its quit button (left would turn the hero)
        rp_wait_for 10 rp_saved_since "$dir" "$before" && return 0
    done
    return 1
}

# rp_finish: the summary line and the script's exit status; on failure the
# program's output and the work folder are kept for a look.
rp_finish() {
    if [ "$RP_FAILURES" -gt 0 ]; then
        echo "$RP_FAILURES check(s) failed"
        if [ -n "${RP_DIR:-}" ]; then
            echo "--- program output:"
            cat "$RP_DIR/out.txt" "$RP_DIR/err.txt" 2>/dev/null | grep -v '^AL lib' | tail -n 40
        fi
        KEEP_WORK=1
        exit 1
    fi
    echo "all checks passed"
    exit 0
}
