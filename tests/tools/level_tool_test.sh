#!/usr/bin/env bash
# glimmer-level from outside: the stored levels exported with their solver
# runs as proofs verify, their maps come out of to-text as the text maps of
# tools/levels and go back through from-text to the same file; a copy with one
# byte changed, a map breaking a rule, a missing file and a player's best run
# checked by glimmer-replay with its level file: statuses 0 all proved, 1 any
# not, 2 a usage error. The solver's route search through a level file ends
# once nobody reads it, even where a closed pipe raises no signal.
# Usage: level_tool_test.sh GLIMMER-LEVEL GLIMMER-REPLAY SOLUTIONS-DIR LEVELS-DIR GLIMMER-SOLVE
set -u
tool=$1 replay=$2 solutions=$3 levels=$4 solve=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/tool_checks.sh"

for n in 3 14; do
    nn=$(printf %02d "$n")
    expect "export: level $n with its solver run" 0 "level $n, proved" \
        "$tool" export --proof "$solutions/level$nn.keys" "$n" "$work/level$nn.glimmer-level"
    expect "to-text: level $n" 0 "" "$tool" to-text "$work/level$nn.glimmer-level" "$work/level$nn.txt"
    if ! diff <(grep -v '^#' "$work/level$nn.txt") <(grep -v '^#' "$levels/level$nn.txt") >/dev/null; then
        fail "to-text: level $n's map is not tools/levels/level$nn.txt"
    fi
    expect "from-text: level $n back, proved again" 0 "" \
        "$tool" from-text --proof "$solutions/level$nn.keys" "$work/level$nn.txt" "$work/back$nn.glimmer-level"
    cmp -s "$work/back$nn.glimmer-level" "$work/level$nn.glimmer-level" || fail "from-text: level $n is another file"
done
cp "$work/level03.glimmer-level" "$work/edited.glimmer-level"
printf '\x55' | dd of="$work/edited.glimmer-level" bs=1 seek=40 conv=notrunc 2>/dev/null
sed 's/X/0/' "$work/level14.txt" >"$work/no-exit.txt"

expect "verify: both proved" 0 "level03.glimmer-level: \"Level 3\" by Glimmer, proved: .* completes the level" \
    "$tool" verify "$work/level03.glimmer-level" "$work/level14.glimmer-level"
expect "verify: one byte changed" 1 "edited.glimmer-level: refused: damaged or edited: its checksum does not match" \
    "$tool" verify "$work/level03.glimmer-level" "$work/edited.glimmer-level"
expect "verify: a proved file after a refused one" 1 "level14.glimmer-level: .*proved" \
    "$tool" verify "$work/edited.glimmer-level" "$work/level14.glimmer-level"
expect "verify: a missing file" 1 "missing.glimmer-level: refused: cannot be read" "$tool" verify "$work/missing.glimmer-level"
expect "verify: no file" 2 "verify needs at least one FILE" "$tool" verify
expect "from-text: a map without an exit" 1 "no exit" "$tool" from-text "$work/no-exit.txt" "$work/no-exit.glimmer-level"
expect "link: a #level= link" 0 "^#level=[A-Za-z0-9_-]+$" "$tool" link "$work/level03.glimmer-level"

# A player's run of the level, checked together with its level file.
"$replay" record 3 "$solutions/level03.keys" "$work/stored03.glimmer-replay" >/dev/null
python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
level = open(work + '/level03.glimmer-level', 'rb').read()
at = 9 + 1 + level[9]
at += 1 + level[at]
at += 2 + struct.unpack('<H', level[at:at + 2])[0]
size = struct.unpack('<H', level[at:at + 2])[0]
open(work + '/run03.glimmer-replay', 'wb').write(level[at + 2:at + 2 + size])
PY
expect "glimmer-replay: a player's run after its level file" 0 "run03.glimmer-replay: a player's level, .* completes the level" \
    "$replay" verify "$work/level03.glimmer-level" "$work/run03.glimmer-replay"
expect "glimmer-replay: a player's run without its level file" 1 "give its level file" \
    "$replay" verify "$work/run03.glimmer-replay"

# The editor that started a search crashed: the solver's next progress line
# finds no reader. With SIGPIPE ignored (as on Windows, which has none) it must
# still stop, long before its own limit of 600 s.
"$tool" export 15 "$work/search.glimmer-level" >/dev/null
( trap '' PIPE; timeout 60 "$solve" --level-file "$work/search.glimmer-level" --seconds 600 | head -1 >/dev/null
  exit "${PIPESTATUS[0]}" )
status=$?
[ "$status" = 1 ] && echo "ok: a route search nobody reads any more ends" ||
    fail "a route search nobody reads any more ran on (status $status, 124 is the 60 s timeout)"

echo "$failures failed"
[ "$failures" = 0 ]
