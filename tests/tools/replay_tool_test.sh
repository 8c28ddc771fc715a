#!/usr/bin/env bash
# glimmer-replay as a player or a scoreboard uses it: a replay made from a
# committed solver script verifies (status 0); a copy edited by one byte, one
# with its jump scheme edited and its checksum made good again, one cut
# short, random bytes, a folder, a device that never ends and a file larger
# than any replay are each refused with a reason while the whole one still
# passes (status 1), reading no more than a replay's largest size; no file is
# a usage error (status 2).
# Usage: replay_tool_test.sh GLIMMER-REPLAY SOLUTIONS-DIR
set -u
tool=$1
solutions=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
# expect WHAT STATUS PATTERN COMMAND...: the command's status and a line of its output.
expect() {
    local what=$1 want=$2 pattern=$3 status
    shift 3
    "$@" >"$work/out" 2>&1
    status=$?
    if [ "$status" = "$want" ] && grep -qE "$pattern" "$work/out"; then
        echo "ok: $what"
    else
        echo "FAIL: $what (status $status, expected $want): $(head -c 600 "$work/out")"
        failures=$((failures + 1))
    fi
}
good=$work/level01.glimmer-replay
updates=$(awk '!/^#/ && NF { n += $1 } END { print n }' "$solutions/level01.keys")
expect "record: level 1's script as a replay" 0 "level 1, $updates updates" "$tool" record 1 "$solutions/level01.keys" "$good"
expect "verify: the run completes level 1 in the script's time" 0 \
    "^$good: level 1, 1-Button-Jump, [0-9:.]+ \($updates updates\): completes the level" "$tool" verify "$good"
cp "$good" "$work/edited"
printf '\125' | dd of="$work/edited" bs=1 seek=30 conv=notrunc 2>/dev/null
head -c 40 "$good" >"$work/cut"
head -c 300 /dev/urandom >"$work/random"
# The scheme's byte (13) edited and the checksum written again: the sealed final state tells.
python3 - "$good" "$work/scheme" <<'EOF'
import sys, zlib
data = bytearray(open(sys.argv[1], 'rb').read())
data[13] = 3 - data[13]
data[-4:] = zlib.crc32(bytes(data[:-4])).to_bytes(4, 'little')
open(sys.argv[2], 'wb').write(data)
EOF
mkdir "$work/folder"
head -c 5000000 /dev/zero >"$work/huge"
for bad in edited scheme cut random folder huge; do
    expect "verify: $bad, refused beside a whole run" 1 "^$work/$bad: refused: " "$tool" verify "$good" "$work/$bad"
done
expect "verify: the scheme edited fails the final state" 1 "2-Button-Jump: it ends in state" "$tool" verify "$work/scheme"
expect "verify: a folder is said to be one" 1 "^$work/folder: refused: a folder" "$tool" verify "$work/folder"
expect "verify: a device that never ends is read no further than a replay" 1 \
    "^/dev/zero: refused: larger than any replay" timeout 20 "$tool" verify /dev/zero
expect "verify: no file is a usage error" 2 "^usage: glimmer-replay" "$tool" verify
expect "link: URL-safe text" 0 "^[A-Za-z0-9_-]+$" "$tool" link "$good"
echo "$failures failure(s)"
[ "$failures" = 0 ]
