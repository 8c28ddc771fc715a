#!/usr/bin/env bash
# Plays a level by hand in the game's real window on a private X server, with
# real held keys (xdotool keydown / keyup), for trying levels as a person does.
# The game is build/tools/playtest/glimmer-playtest: the real game, except that
# a new game starts on the chosen level and that it prints what happens.
#
#   scripts/playtest.sh start LEVEL   X server, window manager and the game; a new game on LEVEL
#   scripts/playtest.sh keys MOVES...  each MOVE is KEYS:SECONDS: the keys held down together for
#                                      that long, then released ("-" for none: a pause). Keys:
#                                      left right up down grip jumpl jumpr (arrows, Z, X, C) or any
#                                      xdotool key name; e.g. right:1.2 right+jumpr:0.3 -:0.5
#   scripts/playtest.sh shot FILE      a screenshot of the window (PNG)
#   scripts/playtest.sh log            what the game reported (level built, deaths, completion)
#   scripts/playtest.sh restart        the level from the start again (a new session)
#   scripts/playtest.sh stop           ends the game and the X server
#
# A session lives in $PLAYTEST_DIR (default /tmp/glimmer-playtest-$USER), so
# that the commands can be given one at a time. Build first (scripts/setup.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
session=${PLAYTEST_DIR:-/tmp/glimmer-playtest-${USER:-$(id -u)}}
game=$root/build/tools/playtest/glimmer-playtest

die() { echo "playtest: $*" >&2; exit 1; }
need() { local t; for t in "$@"; do command -v "$t" >/dev/null || die "$t is not installed"; done; }
# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
    local end=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do [ "$SECONDS" -ge "$end" ] && return 1; sleep 0.05; done
}
load() {
    [ -f "$session/env" ] || die "no session: scripts/playtest.sh start LEVEL"
    # shellcheck source=/dev/null
    source "$session/env"
    export DISPLAY
}
key_name() {
    case $1 in
        left) echo Left ;; right) echo Right ;; up) echo Up ;; down) echo Down ;;
        grip) echo z ;; jumpl) echo x ;; jumpr) echo c ;; *) echo "$1" ;;
    esac
}
# hold KEYS SECONDS: the keys down together, held, then up in reverse order.
hold() {
    local keys=() k
    if [ "$1" != - ]; then
        IFS=+ read -r -a keys <<<"$1"
        for k in "${keys[@]}"; do xdotool keydown "$(key_name "$k")"; done
    fi
    sleep "$2"
    for ((k = ${#keys[@]} - 1; k >= 0; k--)); do xdotool keyup "$(key_name "${keys[k]}")"; done
}
new_game() {
    wait_for 60 grep -q "menu ready" "$session/game.log" || die "the menu did not come up: $(tail -3 "$session/game.log")"
    local built
    built=$(grep -c "built" "$session/game.log" || true)
    hold z 0.15
    wait_for 20 sh -c "[ \$(grep -c built '$session/game.log') -gt $built ]" || die "no new game started"
}

command=${1:-}
shift || true
case $command in
start)
    level=${1:?level number}
    [ -x "$game" ] || die "build it first: $game"
    need Xvfb xdotool openbox xset
    [ -f "$session/env" ] && "$0" stop >/dev/null 2>&1 || true
    mkdir -p "$session/run"
    ln -sfn "$root/build/data" "$session/run/data"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$session/display" 2>/dev/null &
    echo "XVFB=$!" >"$session/env"
    echo "LEVEL=$level" >>"$session/env"
    wait_for 20 test -s "$session/display" || die "Xvfb did not start"
    echo "DISPLAY=:$(cat "$session/display")" >>"$session/env"
    load
    xset r off
    openbox --sm-disable >/dev/null 2>&1 &
    echo "WM=$!" >>"$session/env"
    wait_for 20 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || die "openbox did not start"
    (cd "$session/run" && ALSOFT_DRIVERS=null exec "$game" --level "$level" --trace >"$session/game.log" 2>&1 </dev/null) &
    echo "GAME=$!" >>"$session/env"
    wait_for 60 sh -c 'xdotool search --onlyvisible --name "^Glimmer$"' || die "no window"
    win=$(xdotool search --onlyvisible --name "^Glimmer$" | head -n 1)
    echo "WIN=$win" >>"$session/env"
    xdotool windowactivate "$win" >/dev/null 2>&1 || true
    new_game
    echo "playtest: level $level in $session (display $DISPLAY)"
    ;;
keys)
    load
    for move in "$@"; do hold "${move%%:*}" "${move##*:}"; done
    ;;
shot)
    load
    file=${1:?file name}
    xwd -id "$WIN" -silent | convert xwd:- "$file"
    echo "$file"
    ;;
log)
    load
    grep -v "hero at" "$session/game.log" | tail -n "${1:-20}"
    ;;
trace)
    load
    tail -n "${1:-20}" "$session/game.log"
    ;;
restart)
    load
    exec "$0" start "$LEVEL"
    ;;
stop)
    if [ -f "$session/env" ]; then
        load
        for pid in "$GAME" "$WM" "$XVFB"; do kill "$pid" 2>/dev/null || true; done
        rm -f "$session/env"
    fi
    ;;
*)
    sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'
    [ -z "$command" ] || exit 2
    ;;
esac
