#!/usr/bin/env bash
# glimmer-replay as a player or a scoreboard uses it: replays made from the
# committed solver scripts verify; a copy edited by one byte, one with its jump
# scheme edited and its checksum made good again, a missing path, a file its
# user may not read, a folder, a device that never ends and a file larger than
# any replay are each refused with a reason, reading no more than a replay's
# largest size (the other refusals: Runs.VerifyingRefusesWhatIsNotAWholeRunOfTheseLevels).
# Over several files verify prints one line per file in their order and ends 0
# only when every one is valid, 1 otherwise, whatever the order; no file is a
# usage error (status 2). As root the tool runs as nobody, for whom the
# unreadable file is unreadable.
# Usage: replay_tool_test.sh GLIMMER-REPLAY SOLUTIONS-DIR
set -u
tool=$1
solutions=$2
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
source "$(dirname "$0")/tool_checks.sh"
run=()
if [ "$(id -u)" = 0 ]; then run=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi

declare -A updates line
for level in 1 2; do
    updates[$level]=$(awk '!/^#/ && NF { n += $1 } END { print n }' "$solutions/level0$level.keys")
    expect "record: level $level's script as a replay" 0 "level $level, ${updates[$level]} updates" \
        "$tool" record "$level" "$solutions/level0$level.keys" "$work/good$level"
    line[good$level]="level $level, 1-Button-Jump, [0-9:.]+ \(${updates[$level]} updates\): completes the level in state [0-9a-f]{8}"
done
cp "$work/good1" "$work/edited"
printf '\125' | dd of="$work/edited" bs=1 seek=30 conv=notrunc 2>/dev/null
cp "$work/good2" "$work/unreadable"
chmod 000 "$work/unreadable"
chmod 644 "$work"/good* "$work/edited"
line[edited]="refused: damaged or edited: its checksum does not match"
line[missing]="refused: cannot be read: No such file or directory"
line[unreadable]="refused: cannot be read: Permission denied"

# verify NAME...: runs verify over the files in this order and checks its
# status and that line k names file k with what it says of that kind.
verify() {
    local names=("$@") files=() want=0 status k got
    for name in "${names[@]}"; do
        files+=("$work/$name")
        case $name in good*) ;; *) want=1 ;; esac
    done
    "${run[@]}" "$tool" verify "${files[@]}" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" = "$want" ] || fail "verify ${names[*]}: status $status, expected $want"
    [ "$(wc -l <"$work/out")" = "${#names[@]}" ] || fail "verify ${names[*]}: $(wc -l <"$work/out") lines for ${#names[@]} files"
    [ -s "$work/err" ] && fail "verify ${names[*]}: wrote to standard error: $(head -c 300 "$work/err")"
    for k in "${!names[@]}"; do
        got=$(sed -n "$((k + 1))p" "$work/out")
        [[ "$got" =~ ^"${files[$k]}: "${line[${names[$k]}]}$ ]] || fail "verify ${names[*]}: line $((k + 1)) is '$got'"
    done
    return 0
}

# Each kind alone, then every order of a valid run among the three kinds of
# refusal (read, decoded, missing), and two valid runs in both orders.
for name in good1 good2 edited missing unreadable; do verify "$name"; done
orders=$(python3 -c 'import itertools; print(*(" ".join(p) for p in itertools.permutations("0123")), sep="\n")')
kinds=(good1 edited missing unreadable)
while read -r a b c d; do verify "${kinds[$a]}" "${kinds[$b]}" "${kinds[$c]}" "${kinds[$d]}"; done <<<"$orders"
verify good1 good2
verify good2 good1
echo "verify over every order: done"

# Hostile files beside a whole run: the scheme's byte (13) edited with the
# checksum written again (the sealed final state tells), a folder, a file
# larger than any replay, a device that never ends.
python3 - "$work/good1" "$work/scheme" <<'EOF'
import sys, zlib
data = bytearray(open(sys.argv[1], 'rb').read())
data[13] = 3 - data[13]
data[-4:] = zlib.crc32(bytes(data[:-4])).to_bytes(4, 'little')
open(sys.argv[2], 'wb').write(data)
EOF
mkdir "$work/folder"
head -c 5000000 /dev/zero >"$work/huge"
for bad in scheme folder huge; do
    expect "verify: $bad, refused beside a whole run" 1 "^$work/$bad: refused: " "$tool" verify "$work/good1" "$work/$bad"
done
expect "verify: the scheme edited fails the final state" 1 "2-Button-Jump: it ends in state" "$tool" verify "$work/scheme"
expect "verify: a folder is said to be one" 1 "^$work/folder: refused: a folder" "$tool" verify "$work/folder"
expect "verify: a device that never ends is read no further than a replay" 1 \
    "^/dev/zero: refused: larger than any replay" timeout 20 "$tool" verify /dev/zero
expect "verify: no file is a usage error" 2 "^usage: glimmer-replay" "$tool" verify
expect "link: URL-safe text" 0 "^[A-Za-z0-9_-]+$" "$tool" link "$work/good1"
echo "$failures failure(s)"
[ "$failures" = 0 ]
