#!/bin/bash
# A runtime error in a real program with its window, sound device and threads
# up and no debugger attached (standard input closed, as from a desktop
# entry): the report, then the process ends with status 255 and no crash on
# the way out. The stop protocol itself is tested in-process.
#
# Usage: real_program_test.sh <host_test_app>
set -u
APP=$(realpath "$1")
source "$(dirname "$0")/../lib/real_program.sh"
rp_start_x 1280x1024 nowm
rp_wave_audio
rp_launch "$RP_WORK" "$APP" --error
rp_wait_exit 30
[ "$RP_STATUS" = 255 ] && rp_pass "status 255" || rp_fail "status $RP_STATUS, expected 255"
[ "$(head -n 1 "$RP_WORK/out.txt")" = "Zephyr Runtime Error : Test failure" ] && rp_pass "report" ||
    rp_fail "no runtime error report"
rp_finish
