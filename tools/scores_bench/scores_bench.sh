#!/usr/bin/env bash
# The score server's figures under load, one per line ("name value unit"):
# verification throughput against the headless update speed; then on SQLite
# and on a private PostgreSQL 15, a database of RUNS stored runs, the
# server's resident memory, top-10 reads at a fixed rate driven by hey
# (p50 and p99), and the storage a run takes.
#
#   bash tools/scores_bench/scores_bench.sh [BUILD-DIR] [RUNS] [RATE] [SECONDS]
#   defaults: build, 100000 runs, 500 requests per second, 20 seconds
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
count=${2:-100000}
rate=${3:-500}
seconds=${4:-20}
bench=$build/tools/scores_bench/glimmer-scores-bench
runs=$build/tests/server/runs
SL_SCORES=$build/server/glimmer-scores
for tool in "$bench" "$SL_SCORES"; do [ -x "$tool" ] || { echo "build $tool first (cmake --build $build)"; exit 1; }; done
[ -f "$runs/level01.glimmer-replay" ] || { echo "build the server's test runs first (cmake --build $build --target server_test_runs)"; exit 1; }
command -v hey >/dev/null || { echo "hey is missing: apt-get install hey"; exit 1; }
source "$root/tests/server/server_lib.sh"
SL_WORK=$(mktemp -d)
trap sl_cleanup EXIT

echo "# $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(date -u +%Y-%m-%d)"
"$bench" verify --seconds 10 "$runs" | grep -v '^Replay:'

# figures BACKEND URL: fill, serve, measure.
figures() {
    local backend=$1 url=$2 port pid workers=10
    "$bench" fill --database "$url" --runs "$count" "$runs" | sed "s/^stored_runs/${backend}_stored_runs/"
    sl_serve "$backend" --database "$url" --quiet --read-burst 1000000 --read-every 0.000001 || return 1
    port=$SL_PORT pid=$SL_PID
    # Warm: every level's board read once.
    for n in $(seq 1 15); do sl_get "$port" "/api/levels/$n/top?limit=10" >/dev/null; done
    echo "${backend}_resident_after_start $(awk '/VmRSS/ { print $2 / 1024 }' "/proc/$pid/status") MiB"
    # hey's -q is per worker: $workers workers at rate / workers each.
    hey -z "${seconds}s" -c "$workers" -q $((rate / workers)) "http://127.0.0.1:$port/api/levels/15/top?limit=10" >"$SL_WORK/hey.txt"
    local total p50 p99 codes
    total=$(sed -n 's/^[[:space:]]*Requests\/sec:[[:space:]]*//p' "$SL_WORK/hey.txt")
    p50=$(sed -n 's/^[[:space:]]*50% in \([0-9.]*\) secs.*/\1/p' "$SL_WORK/hey.txt")
    p99=$(sed -n 's/^[[:space:]]*99% in \([0-9.]*\) secs.*/\1/p' "$SL_WORK/hey.txt")
    codes=$(sed -n '/Status code distribution:/,/^$/p' "$SL_WORK/hey.txt" | grep -o '\[[0-9]*\][[:space:]]*[0-9]*' | tr -s '\t ' ' ' | tr '\n' ' ')
    echo "${backend}_top10_requests_per_second $total req/s"
    echo "${backend}_top10_p50 $(awk -v s="$p50" 'BEGIN { print s * 1000 }') ms"
    echo "${backend}_top10_p99 $(awk -v s="$p99" 'BEGIN { print s * 1000 }') ms"
    echo "# ${backend} status codes: $codes"
    echo "${backend}_resident_after_load $(awk '/VmRSS/ { print $2 / 1024 }' "/proc/$pid/status") MiB"
    echo "${backend}_server_cpu $(awk '{ print ($14 + $15) / 100 }' "/proc/$pid/stat") s"
    kill -TERM "$pid"
    wait "$pid" || true
    "$bench" size --database "$url" | sed "s/^/${backend}_/"
}

figures sqlite "sqlite:$SL_WORK/scores.db"
sl_pg_start "$SL_WORK/pg"
figures postgresql "$SL_PG_URL"
