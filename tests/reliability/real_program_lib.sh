# Helpers for the real-program fault tests (sourced): a private X server and
# window manager, a run folder with its own copy of the data, starting the
# game, playing a round through the menu, and closing it.
#
# A "round" proves the game is alive and responsive: from the menu the action
# key starts a game on level 1, a few moves are made, the pause panel's quit
# returns to the menu, and the game saves its state on that return. The
# state file appearing in the run folder is the observation.

RP_PIDS=()
RP_FAILURES=0
RP_WORK=$(mktemp -d /tmp/glimmer-reliability.XXXXXX)

rp_cleanup() {
    local pid
    for pid in "${RP_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    if [ -n "${KEEP_WORK:-}" ]; then echo "work files kept in $RP_WORK"; else rm -rf "$RP_WORK"; fi
}
trap rp_cleanup EXIT

rp_fail() {
    echo "FAIL: $*"
    RP_FAILURES=$((RP_FAILURES + 1))
}
rp_pass() { echo "ok: $*"; }

# Starts Xvfb on a free display, then openbox; exports DISPLAY.
rp_start_x() {
    local n _
    for _ in $(seq 20); do
        n=$((200 + RANDOM % 700))
        { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
        Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
        local xvfb=$!
        export DISPLAY=":$n"
        for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
        if xdpyinfo >/dev/null 2>&1 && kill -0 "$xvfb" 2>/dev/null; then
            RP_PIDS+=("$xvfb")
            openbox --sm-disable >/dev/null 2>&1 &
            RP_PIDS+=($!)
            for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.05; done
            return 0
        fi
        kill "$xvfb" 2>/dev/null
    done
    echo "FAIL: no X server"
    exit 1
}

# rp_run_dir NAME DATA: a fresh run folder whose data/ links to DATA's files,
# so that single files can be replaced. Prints the folder.
rp_run_dir() {
    local dir=$RP_WORK/$1
    rm -rf "$dir"
    mkdir -p "$dir"
    cp -rs "$(realpath "$2")" "$dir/data"
    echo "$dir"
}

# Sound goes to a wave file through OpenAL Soft's wave backend.
rp_wave_audio() {
    cat >"$RP_WORK/alsoft.conf" <<CONF
[general]
drivers = wave
sample-type = int16
[wave]
file = $RP_WORK/out.wav
CONF
    export ALSOFT_CONF=$RP_WORK/alsoft.conf
    unset ALSOFT_DRIVERS
}

# rp_start GLIMMER DIR [prefix command...]: starts the game in DIR, output to
# DIR/out.txt; sets RP_GAME (pid) and RP_WIN (window) or fails.
rp_start() {
    local glimmer=$1 dir=$2
    shift 2
    (cd "$dir" && exec "$@" "$glimmer" >"$dir/out.txt" 2>&1) &
    RP_GAME=$!
    RP_WIN=""
    local _
    for _ in $(seq 200); do
        RP_WIN=$(xdotool search --onlyvisible --name '^Glimmer$' 2>/dev/null | head -1)
        [ -n "$RP_WIN" ] && break
        kill -0 "$RP_GAME" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$RP_WIN" ] || return 1
    xdotool windowactivate --sync "$RP_WIN" >/dev/null 2>&1
    return 0
}

# rp_find_window: sets RP_WIN to the game's window, waiting up to 10 s for it
# (a fullscreen toggle replaces the window by a new one).
rp_find_window() {
    local _
    for _ in $(seq 100); do
        RP_WIN=$(xdotool search --onlyvisible --name '^Glimmer$' 2>/dev/null | head -1)
        [ -n "$RP_WIN" ] && return 0
        sleep 0.1
    done
    return 1
}

rp_key() {
    xdotool keydown "$1"
    sleep "${2:-0.1}"
    xdotool keyup "$1"
    sleep "${3:-0.25}"
}

# rp_round DIR [seconds]: plays rounds until DIR/.zephyrstate is written anew
# (a game returned to the menu and saved: the save renames a new file into
# place), the game dies, or time runs out.
rp_round() {
    local dir=$1 limit=${2:-90} start=$SECONDS
    local before
    before=$(stat -c %i "$dir/.zephyrstate" 2>/dev/null)
    while [ $((SECONDS - start)) -lt "$limit" ]; do
        kill -0 "$RP_GAME" 2>/dev/null || return 1
        rp_find_window
        xdotool windowactivate "$RP_WIN" >/dev/null 2>&1
        rp_key Escape 0.1 0.2    # closes the credits on the menu
        rp_key Left 0.1 0.2      # "play" selected
        rp_key Left 0.1 0.2
        rp_key z 0.1 1.0         # a new game on level 1
        rp_key Right 0.6 0.1     # a few moves
        rp_key x 0.1 0.8
        rp_key Escape 0.1 0.8    # the pause panel
        rp_key Up 0.1 0.3        # its quit button (left would turn the hero too)
        rp_key z 0.1 2.5         # the game-over bars, then the menu
        local now
        now=$(stat -c %i "$dir/.zephyrstate" 2>/dev/null)
        [ -n "$now" ] && [ "$now" != "$before" ] && return 0
    done
    return 1
}

# rp_close: closes the window and waits; fails unless the game exits with 0.
rp_close() {
    rp_find_window
    wmctrl -i -c "$RP_WIN" 2>/dev/null || xdotool windowclose "$RP_WIN" 2>/dev/null
    local _
    for _ in $(seq 100); do kill -0 "$RP_GAME" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$RP_GAME" 2>/dev/null; then
        kill -9 "$RP_GAME" 2>/dev/null
        wait "$RP_GAME" 2>/dev/null
        return 1
    fi
    wait "$RP_GAME"
}

# rp_clean_output DIR: true when the game's output holds no runtime error and
# no sanitizer report.
rp_clean_output() {
    ! grep -qE "Runtime Error|AddressSanitizer|LeakSanitizer|runtime error:|ThreadSanitizer" "$1/out.txt"
}

# rp_case NAME GLIMMER DIR [prefix command...]: one whole case: start, round,
# close, output; prints ok or FAIL with the game's output.
rp_case() {
    local name=$1 glimmer=$2 dir=$3
    shift 3
    local why=""
    if ! rp_start "$glimmer" "$dir" "$@"; then
        why="no window"
    elif ! rp_round "$dir"; then
        why="no game played and saved (game $(kill -0 "$RP_GAME" 2>/dev/null && echo running || echo ended))"
        kill -9 "$RP_GAME" 2>/dev/null
    else
        rp_close
        local status=$?
        [ "$status" = 0 ] || why="exit status $status on closing"
    fi
    [ -z "$why" ] && ! rp_clean_output "$dir" && why="errors in the output"
    if [ -z "$why" ]; then
        rp_pass "$name"
    else
        rp_fail "$name: $why"
        sed -n '1,40p' "$dir/out.txt"
    fi
}
