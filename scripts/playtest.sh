#!/usr/bin/env bash
# Plays a level by hand in the game's real window on a private X server, with
# real held keys (xdotool keydown / keyup), for trying levels as a person does.
# The game is build/tools/playtest/glimmer-playtest: the real game, except that
# a new game starts on the chosen level and that it prints what happens.
#
#   scripts/playtest.sh start LEVEL   X server, window manager and the game; a new game on LEVEL
#                                      (with PLAYTEST_MENU_ONLY=1 the game is left on its menu)
#   scripts/playtest.sh keys MOVES...  each MOVE is KEYS:SECONDS: the keys held down together for
#                                      that long ("-" for none: a pause); a key in two moves in a row
#                                      stays down between them. Keys: left right up down grip jumpl
#                                      jumpr (arrows, Z, X, C) or any xdotool key name;
#                                      e.g. right:1.2 right+jumpr:0.3 -:0.5 grip:0.2 grip+jumpl:0.2;
#                                      a last move KEYS:hold keeps those keys down for the next command
#   scripts/playtest.sh shot FILE      a screenshot of the window (PNG)
#   scripts/playtest.sh log            what the game reported (level built, deaths, completion)
#   scripts/playtest.sh restart        the level from the start again (a new session)
#   scripts/playtest.sh stop           ends the game and the X server
#
# A session lives in $PLAYTEST_DIR (default /tmp/glimmer-playtest-<worktree folder
# name>), so that the commands can be given one at a time. Build first (scripts/setup.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
session=${PLAYTEST_DIR:-/tmp/glimmer-playtest-$(basename "$root")}
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
# play MOVE...: each MOVE is KEYS:SECONDS; keys shared by one move and the
# next stay down in between (grip held through a run of jumps), the others go
# up. Everything is up at the end, unless the last move is KEYS:hold: those
# stay down until the next command (a person still holding on).
play() {
    local held=() move keys k
    [ -s "$session/held" ] && read -r -a held <"$session/held"
    for move in "$@"; do
        keys=()
        [ "${move%%:*}" = - ] || IFS=+ read -r -a keys <<<"${move%%:*}"
        for k in "${held[@]}"; do
            [[ " ${keys[*]} " == *" $k "* ]] || xdotool keyup "$(key_name "$k")"
        done
        for k in "${keys[@]}"; do
            [[ " ${held[*]} " == *" $k "* ]] || xdotool keydown "$(key_name "$k")"
        done
        held=("${keys[@]}")
        [ "${move##*:}" = hold ] || sleep "${move##*:}"
    done
    if [ "${move##*:}" = hold ]; then
        echo "${held[*]}" >"$session/held"
        return
    fi
    for k in "${held[@]}"; do xdotool keyup "$(key_name "$k")"; done
    : >"$session/held"
}
new_game() {
    wait_for 60 grep -q "menu ready" "$session/game.log" || die "the menu did not come up: $(tail -3 "$session/game.log")"
    local built
    built=$(grep -c "built" "$session/game.log" || true)
    play z:0.15
    wait_for 20 sh -c "[ \$(grep -c built '$session/game.log') -gt $built ]" || die "no new game started"
    sleep 0.8   # the hero's drop-in (50 updates)
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
    : >"$session/held"
    ln -sfn "$root/build/data" "$session/run/data"
    rm -f "$session/display"
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
    if [ -n "${PLAYTEST_MENU_ONLY:-}" ]; then
        wait_for 60 grep -q "menu ready" "$session/game.log" || die "the menu did not come up"
    else
        new_game
    fi
    echo "playtest: level $level in $session (display $DISPLAY)"
    ;;
keys)
    load
    play "$@"
    ;;
shot)
    load
    file=${1:?file name}
    xwd -id "$WIN" -silent | convert xwd:- "$file"
    echo "$file"
    ;;
log)
    load
    grep -v "hero at\|shot at" "$session/game.log" | tail -n "${1:-20}"
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
        for pid in "${GAME:-}" "${WM:-}" "${XVFB:-}"; do [ -n "$pid" ] && kill "$pid" 2>/dev/null; done
        rm -f "$session/env"
    fi
    ;;
*)
    sed -n '2,19p' "$0" | sed 's/^# \{0,1\}//'
    [ -z "$command" ] || exit 2
    ;;
esac
