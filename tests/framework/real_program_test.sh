#!/bin/bash
# The real program with its window, sound device and threads up:
# - a runtime error with no debugger attached (standard input closed, as from
#   a desktop entry): the report, then the process ends with status 255 and
#   no crash on the way out (the stop protocol itself is tested in-process);
# - a close request: status 0 and nothing at all on standard error (the
#   sound device and its context are closed before OpenAL's own clean-up,
#   which would complain about a device left open).
#
# Usage: real_program_test.sh <framework_test_program>
set -u
APP=$(realpath "$1")
source "$(dirname "$0")/../lib/real_program.sh"
rp_start_x 1280x1024
rp_wave_audio

mkdir -p "$RP_WORK/error" "$RP_WORK/close"
rp_launch "$RP_WORK/error" "$APP" --error
rp_wait_exit 30
[ "$RP_STATUS" = 255 ] && rp_pass "runtime error: status 255" || rp_fail "runtime error: status $RP_STATUS, expected 255"
[ "$(head -n 1 "$RP_WORK/error/out.txt")" = "Zephyr Runtime Error : Test failure" ] && rp_pass "runtime error: report" ||
    rp_fail "runtime error: no report"

rp_start "$RP_WORK/close" "$APP" || rp_die "close: no window"
rp_close 30
[ "$RP_STATUS" = 0 ] && rp_pass "close: status 0" || rp_fail "close: status $RP_STATUS, expected 0"
[ ! -s "$RP_WORK/close/err.txt" ] && rp_pass "close: nothing on standard error" ||
    rp_fail "close: standard error holds: $(head -c 300 "$RP_WORK/close/err.txt")"
rp_finish
