# Helpers of the score server's full-run scripts (sourced): a private
# PostgreSQL 15 in a scratch folder, glimmer-scores processes on free ports,
# posts and reads with curl. Everything started here is stopped by sl_cleanup.

SL_PG_BIN=/usr/lib/postgresql/15/bin
SL_PIDS=()
SL_PG_DIR=""
SL_FAILURES=0

sl_fail() {
    echo "FAIL: $*"
    SL_FAILURES=$((SL_FAILURES + 1))
}

sl_ok() { echo "ok: $*"; }

# Runs a PostgreSQL tool as the postgres user when root (initdb refuses root).
sl_as_pg() {
    if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

# sl_pg_start DIR: a new cluster in DIR listening only on a socket there;
# sets SL_PG_URL. Fails when PostgreSQL 15 is missing.
sl_pg_start() {
    SL_PG_DIR=$1
    for tool in initdb pg_ctl createdb; do
        [ -x "$SL_PG_BIN/$tool" ] || { echo "PostgreSQL 15 is missing ($SL_PG_BIN/$tool): install postgresql-15"; return 1; }
    done
    mkdir -p "$SL_PG_DIR"
    if [ "$(id -u)" = 0 ]; then
        chown postgres "$SL_PG_DIR"
        chmod o+x "$(dirname "$SL_PG_DIR")"   # the postgres user passes through to its folder
    fi
    sl_as_pg "$SL_PG_BIN/initdb" -D "$SL_PG_DIR/data" -U glimmer --auth=trust -E UTF8 >"$SL_PG_DIR/initdb.log" 2>&1 ||
        { cat "$SL_PG_DIR/initdb.log"; return 1; }
    sl_pg_resume || return 1
    sl_as_pg "$SL_PG_BIN/createdb" -h "$SL_PG_DIR" -U glimmer glimmer || return 1
    SL_PG_URL="postgresql:///glimmer?host=$SL_PG_DIR&user=glimmer"
}

# Starts the cluster made by sl_pg_start again.
sl_pg_resume() {
    sl_as_pg "$SL_PG_BIN/pg_ctl" -D "$SL_PG_DIR/data" -l "$SL_PG_DIR/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$SL_PG_DIR'" start >/dev/null ||
        { tail -20 "$SL_PG_DIR/server.log"; return 1; }
}

sl_pg_stop() {
    [ -n "$SL_PG_DIR" ] && [ -f "$SL_PG_DIR/data/postmaster.pid" ] &&
        sl_as_pg "$SL_PG_BIN/pg_ctl" -D "$SL_PG_DIR/data" -m fast -w stop >/dev/null
    return 0
}

# sl_serve NAME ARGS...: starts glimmer-scores serve on a free port with its
# log in $SL_WORK/NAME.log; sets SL_PORT and SL_PID once it listens.
sl_serve() {
    local name=$1
    shift
    "$SL_SCORES" serve --address 127.0.0.1 --port 0 "$@" >"$SL_WORK/$name.log" 2>&1 &
    SL_PID=$!
    SL_PIDS+=("$SL_PID")
    for _ in $(seq 100); do
        SL_PORT=$(sed -n 's/.*listening on 127.0.0.1 port \([0-9]*\)$/\1/p' "$SL_WORK/$name.log")
        [ -n "$SL_PORT" ] && return 0
        kill -0 "$SL_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "glimmer-scores $name did not start:"
    cat "$SL_WORK/$name.log"
    return 1
}

# sl_post PORT FILE NAME KEY OUT: posts a replay; OUT gets the status, then the body.
sl_post() {
    curl -s -m 60 -o "$5.body" -w '%{http_code}' -X POST --data-binary "@$2" \
        -H "X-Glimmer-Name: $3" -H "X-Glimmer-Key: $4" "http://127.0.0.1:$1/api/runs" >"$5" 2>/dev/null
    echo " curl=$?" >>"$5"
}

sl_get() { curl -s -m 30 "http://127.0.0.1:$1$2"; }
sl_status() { curl -s -m 30 -o /dev/null -w '%{http_code}' "http://127.0.0.1:$1$2"; }

# A player key of the game's form for player N.
sl_key() { printf 'fullrunkey%030d' "$1"; }

# sl_variants TOOL SOLUTIONS OUT COUNT: COUNT distinct valid runs of level 1
# (its first wait made longer by 1..COUNT updates) as OUT/wNNN.glimmer-replay.
sl_variants() {
    local tool=$1 solutions=$2 out=$3 count=$4 first i
    mkdir -p "$out"
    first=$(head -n 1 "$solutions/level01.keys")
    for i in $(seq "$count"); do
        sed "1s/^[0-9]* -$/$((${first% -} + i)) -/" "$solutions/level01.keys" >"$out/w$i.keys"
        "$tool" record 1 "$out/w$i.keys" "$out/w$i.glimmer-replay" >/dev/null || return 1
    done
}

sl_cleanup() {
    local pid
    for pid in "${SL_PIDS[@]}"; do { kill -9 "$pid" && wait "$pid"; } 2>/dev/null; done
    sl_pg_stop
    [ -n "${SL_WORK:-}" ] && rm -rf "$SL_WORK"
}
