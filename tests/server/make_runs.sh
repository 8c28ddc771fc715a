#!/usr/bin/env bash
# Records the replay files the server's tests post: every committed solver
# script, level 1's played 10 and 30 updates later (a longer first wait), and
# twelve more of level 1 for a full board (level01-w01..w12: 100 + N updates later).
# Usage: make_runs.sh GLIMMER-REPLAY SOLUTIONS-DIR OUT-DIR
set -euo pipefail
tool=$1 solutions=$2 out=$3
mkdir -p "$out"
for script in "$solutions"/level[0-9][0-9].keys; do
    name=$(basename "$script" .keys)
    "$tool" record "$((10#${name#level}))" "$script" "$out/$name.glimmer-replay" >/dev/null
done
first=$(head -n 1 "$solutions/level01.keys")
[ "${first% -}" -ge 1 ] || { echo "make_runs.sh: level01.keys does not start with a wait" >&2; exit 1; }
for later in late:10 slow:30 $(for n in 01 02 03 04 05 06 07 08 09 10 11 12; do echo "w$n:$((100 + 10#$n))"; done); do
    sed "1s/^[0-9]* -$/$((${first% -} + ${later#*:})) -/" "$solutions/level01.keys" >"$out/level01-${later%:*}.keys"
    "$tool" record 1 "$out/level01-${later%:*}.keys" "$out/level01-${later%:*}.glimmer-replay" >/dev/null
done
