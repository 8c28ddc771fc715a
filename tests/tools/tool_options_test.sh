#!/usr/bin/env bash
# Every tool program (the arguments) answers --help and -h with its usage on
# standard output and status 0, refuses an unknown option wherever it stands
# with its usage on standard error and status 2, and never takes an option for
# a file name (the content tool once wrote a folder named "--help").
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/tool_checks.sh"
[ "$#" -gt 0 ] || fail "no tool given"
for tool in "$@"; do
    name=$(basename "$tool")
    [ -x "$tool" ] || { fail "$name is not built ($tool)"; continue; }
    # Arguments | status | the stream that carries the usage (the other stays empty)
    for row in "--help|0|output" "-h|0|output" "--no-such-option|2|error" "name --no-such-option|2|error"; do
        IFS='|' read -r args want stream <<<"$row"
        other=error && [ "$stream" = error ] && other=output
        mkdir "$work/run"
        # shellcheck disable=SC2086 # the arguments are split on purpose
        (cd "$work/run" && "$tool" $args >"$work/output" 2>"$work/error" </dev/null)
        status=$?
        [ "$status" = "$want" ] || fail "$name $args: status $status, expected $want"
        grep -q "^usage: $name" "$work/$stream" || fail "$name $args: no usage on standard $stream"
        [ -s "$work/$other" ] && fail "$name $args: wrote to standard $other: $(head -c 200 "$work/$other")"
        [ -z "$(ls -A "$work/run")" ] || fail "$name $args: made $(ls -A "$work/run")"
        rm -rf "$work/run"
    done
done
echo "$failures failure(s)"
[ "$failures" = 0 ]
