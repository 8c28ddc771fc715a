#!/usr/bin/env bash
# The server killed under load, on SQLite or on a private PostgreSQL: with
# posts under way it is killed with SIGKILL, started again on the same
# database, and every run that was answered "accepted" must be on the board.
# Then, with posts under way again, SIGTERM: the runs under way are answered
# (never cut off), every accepted one is stored, and the server ends with 0.
# Usage: kill_test.sh sqlite|postgresql GLIMMER-SCORES GLIMMER-REPLAY SOLUTIONS-DIR
set -u
source "$(dirname "$0")/server_lib.sh"
backend=$1 SL_SCORES=$2 tool=$3 solutions=$4
SL_WORK=$(mktemp -d)
trap sl_cleanup EXIT
posts=60
sl_variants "$tool" "$solutions" "$SL_WORK/runs" $((2 * posts)) || { echo "cannot record the runs"; exit 1; }
if [ "$backend" = postgresql ]; then
    sl_pg_start "$SL_WORK/pg" || exit 1
    database=$SL_PG_URL
else
    database=sqlite:$SL_WORK/scores.db
fi
options=(--database "$database" --queue 200 --post-burst 1000 --post-every 0.001 --quiet)

# post_all FIRST LAST PORT: posts runs FIRST..LAST at once, each by its own player.
post_all() {
    local i
    for i in $(seq "$1" "$2"); do
        sl_post "$3" "$SL_WORK/runs/w$i.glimmer-replay" "Runner$i" "$(sl_key "$i")" "$SL_WORK/post$i" &
    done
}
# answered FIRST LAST: how many of those posts have an answer file.
answered() { local i n=0; for i in $(seq "$1" "$2"); do [ -s "$SL_WORK/post$i" ] && n=$((n + 1)); done; echo $n; }
# wait_answers FIRST LAST N: until N of them are answered (at most 30 s).
wait_answers() { for _ in $(seq 300); do [ "$(answered "$1" "$2")" -ge "$3" ] && return; sleep 0.1; done; }
# check_stored FIRST LAST PORT WHAT: every post answered 201 is stored and
# ranked on its board. Each run is looked up by the id its answer gave: the
# two rounds together accept more runs than one page of the board holds.
check_stored() {
    local i accepted=0 missing=0 cut=0 id
    for i in $(seq "$1" "$2"); do
        if grep -q '^201 curl=0' "$SL_WORK/post$i" 2>/dev/null; then
            accepted=$((accepted + 1))
            id=$(grep -o '"id":[0-9]*' "$SL_WORK/post$i.body" | head -1 | cut -d: -f2)
            sl_get "$3" "/api/runs/${id:-0}" | grep -q "\"name\":\"Runner$i\".*\"rank\":[0-9]" ||
                missing=$((missing + 1))
        elif ! grep -q '^[0-9][0-9][0-9] curl=0' "$SL_WORK/post$i" 2>/dev/null; then
            cut=$((cut + 1))
        fi
    done
    echo "$4: $accepted accepted, $cut without an answer, $missing accepted but missing"
    [ "$missing" = 0 ] || sl_fail "$4: $missing accepted runs are not on the board"
    [ "$accepted" -gt 0 ] || sl_fail "$4: no post was accepted before the stop"
    CUT=$cut
}

sl_serve first "${options[@]}" || exit 1
post_all 1 "$posts" "$SL_PORT"
wait_answers 1 "$posts" 10
{ kill -9 "$SL_PID" && wait; } 2>/dev/null
sl_serve again "${options[@]}" || exit 1
check_stored 1 "$posts" "$SL_PORT" "SIGKILL"
[ "$CUT" -gt 0 ] && sl_ok "SIGKILL with $CUT posts under way: every accepted run kept" ||
    sl_fail "SIGKILL came after every post was answered: nothing was under way"

post_all $((posts + 1)) $((2 * posts)) "$SL_PORT"
wait_answers $((posts + 1)) $((2 * posts)) 10
kill -TERM "$SL_PID"
wait "$SL_PID"
status=$?
wait 2>/dev/null
[ "$status" = 0 ] && sl_ok "SIGTERM: status 0" || sl_fail "SIGTERM: status $status"
grep -q "glimmer-scores: stopped" "$SL_WORK/again.log" && sl_ok "SIGTERM: it says it stopped" || sl_fail "no stop line"
# Posts that arrive after the stop find no server (curl cannot connect, code 000 curl=7) or are told so (503).
broken=0
for i in $(seq $((posts + 1)) $((2 * posts))); do
    grep -qE '^(201|503) curl=0$|^000 curl=7$' "$SL_WORK/post$i" || broken=$((broken + 1))
done
[ "$broken" = 0 ] && sl_ok "SIGTERM: every post under way was answered" ||
    sl_fail "SIGTERM: $broken posts were cut off: $(cat "$SL_WORK"/post* | sort | uniq -c | tr '\n' ' ')"
sl_serve third "${options[@]}" || exit 1
check_stored $((posts + 1)) $((2 * posts)) "$SL_PORT" "SIGTERM"
echo "$SL_FAILURES failure(s)"
[ "$SL_FAILURES" = 0 ]
