#!/usr/bin/env bash
# Two servers on one private PostgreSQL, as a deployment runs them behind a
# balancer: both migrate the new database at once, runs posted through
# either are read back alike from both, a run posted through one cannot be
# posted again through the other; with the database stopped both answer
# "unavailable" (503) and take runs again once it is back; a short load of
# board reads through both is answered without error (hey). Then both stop
# cleanly on SIGTERM.
# Usage: scale_out_test.sh GLIMMER-SCORES RUNS-DIR
set -u
source "$(dirname "$0")/server_lib.sh"
SL_SCORES=$1
runs=$2
SL_WORK=$(mktemp -d)
trap sl_cleanup EXIT
command -v hey >/dev/null || { echo "hey is missing: install it (scripts/test.sh does)"; exit 1; }
sl_pg_start "$SL_WORK/pg" || exit 1
limits=(--post-burst 1000 --post-every 0.001 --read-burst 100000 --read-every 0.0001 --quiet)
# Both at once on the empty database: the schema lock lets one migrate.
"$SL_SCORES" serve --address 127.0.0.1 --port 0 --database "$SL_PG_URL" "${limits[@]}" >"$SL_WORK/a.log" 2>&1 &
a_pid=$!
SL_PIDS+=("$a_pid")
sl_serve b --database "$SL_PG_URL" "${limits[@]}" || exit 1
b=$SL_PORT b_pid=$SL_PID
for _ in $(seq 100); do
    a=$(sed -n 's/.*listening on 127.0.0.1 port \([0-9]*\)$/\1/p' "$SL_WORK/a.log")
    [ -n "$a" ] && break
    sleep 0.1
done
[ -n "$a" ] || { cat "$SL_WORK/a.log"; exit 1; }
applied=$(cat "$SL_WORK/a.log" "$SL_WORK/b.log" | grep -c "migration(s) applied")
[ "$applied" = 1 ] && sl_ok "one of the two servers migrated the database" || sl_fail "$applied servers migrated"

# Every level through alternating servers, several players at once.
for n in $(seq 1 15); do
    file=$runs/level$(printf %02d "$n").glimmer-replay
    port=$([ $((n % 2)) = 0 ] && echo "$a" || echo "$b")
    sl_post "$port" "$file" "Player$n" "$(sl_key "$n")" "$SL_WORK/post$n" &
done
wait $(jobs -p | grep -v -e "^$a_pid$" -e "^$b_pid$") 2>/dev/null
created=$(grep -l '^201 curl=0' "$SL_WORK"/post[0-9]* | wc -l)
[ "$created" = 15 ] && sl_ok "15 runs posted at once through two servers" ||
    sl_fail "$created of 15 posts accepted: $(head -c 300 "$SL_WORK"/post1*.body)"
sl_post "$b" "$runs/level01-late.glimmer-replay" "Player2" "$(sl_key 2)" "$SL_WORK/late"
grep -q '^201' "$SL_WORK/late" && grep -q '"rank":2' "$SL_WORK/late.body" &&
    sl_ok "a slower run of level 1 through the other server ranks second" ||
    sl_fail "the slower run: $(cat "$SL_WORK/late" "$SL_WORK/late.body")"
sl_post "$a" "$runs/level01.glimmer-replay" "Player9" "$(sl_key 9)" "$SL_WORK/again"
grep -q '^409' "$SL_WORK/again" && sl_ok "a run posted through B cannot be posted again by another player through A" ||
    sl_fail "a run posted twice: $(cat "$SL_WORK/again" "$SL_WORK/again.body")"
for path in /api/boards "/api/levels/1/top?limit=10" /api/players/Player2/runs; do
    from_a=$(sl_get "$a" "$path")
    from_b=$(sl_get "$b" "$path")
    [ -n "$from_a" ] && [ "$from_a" = "$from_b" ] && sl_ok "$path reads the same from both servers" ||
        sl_fail "$path differs: A $from_a / B $from_b"
done
sl_get "$a" "/api/levels/1/top" | grep -q '"runs":\[{"name":"Player1","rank":1,.*{"name":"Player2","rank":2' &&
    sl_ok "level 1's board in order" || sl_fail "level 1's board: $(sl_get "$a" /api/levels/1/top)"

# A short load of board reads through both: every answer 200.
hey -z 3s -c 4 -q 25 "http://127.0.0.1:$a/api/levels/1/top?limit=10" >"$SL_WORK/hey-a.txt" 2>&1 &
hey -z 3s -c 4 -q 25 "http://127.0.0.1:$b/api/levels/2/top?limit=10" >"$SL_WORK/hey-b.txt" 2>&1
wait $!
for side in a b; do
    codes=$(sed -n '/Status code distribution:/,/^$/p' "$SL_WORK/hey-$side.txt" | grep -o '\[[0-9]*\]' | sort -u | tr -d '\n')
    count=$(sed -n 's/^[[:space:]]*\[200\][[:space:]]*\([0-9]*\) responses.*/\1/p' "$SL_WORK/hey-$side.txt")
    [ "$codes" = "[200]" ] && [ "${count:-0}" -ge 100 ] && sl_ok "load through $side: $count reads, all 200" ||
        sl_fail "load through $side: codes $codes, $(tail -20 "$SL_WORK/hey-$side.txt")"
done

# The database stopped: both servers say so; back, they take runs again.
sl_pg_stop
for port in "$a" "$b"; do
    [ "$(sl_status "$port" /api/health)" = 503 ] && sl_ok "health is 503 without the database" || sl_fail "health without the database"
    [ "$(sl_status "$port" /api/levels/1/top)" = 503 ] && sl_ok "a read is 503 without the database" || sl_fail "a read without the database"
done
sl_post "$a" "$runs/level01-slow.glimmer-replay" "Player3" "$(sl_key 3)" "$SL_WORK/down"
grep -q '^503' "$SL_WORK/down" && grep -q 'unavailable' "$SL_WORK/down.body" &&
    sl_ok "a run posted without the database is answered unavailable" || sl_fail "post without the database: $(cat "$SL_WORK/down" "$SL_WORK/down.body")"
sl_pg_resume || exit 1
for port in "$a" "$b"; do
    [ "$(sl_status "$port" /api/health)" = 200 ] && sl_ok "health is 200 with the database back" || sl_fail "health with the database back"
done
sl_post "$b" "$runs/level01-slow.glimmer-replay" "Player3" "$(sl_key 3)" "$SL_WORK/up"
grep -q '^201' "$SL_WORK/up" && sl_ok "the same run posted later is accepted" || sl_fail "post later: $(cat "$SL_WORK/up" "$SL_WORK/up.body")"

kill -TERM "$a_pid" "$b_pid"
for pid in "$a_pid" "$b_pid"; do
    wait "$pid"
    status=$?
    [ "$status" = 0 ] && sl_ok "server $pid stopped on SIGTERM with status 0" || sl_fail "server $pid ended with $status"
done
echo "$SL_FAILURES failure(s)"
[ "$SL_FAILURES" = 0 ]
