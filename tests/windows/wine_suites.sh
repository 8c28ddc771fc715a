#!/usr/bin/env bash
# Runs the GoogleTest suites of the Windows test build (scripts/windows.sh
# --tests) under Wine, through ctest there: the suites and their registrations
# are the Linux ones, their programs cross-built. A fresh Wine prefix and a
# private X server for the suites that open windows.
# Usage: wine_suites.sh BUILD-WINDOWS-DIR [ctest arguments]
set -uo pipefail
source "$(dirname "$0")/../lib/real_program.sh"

out=$(realpath "$1")
build=$out/tests
shift
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINE" ] && [ -x "$WINESERVER" ] || rp_die "Wine (wine64) is not installed"
rp_need python3 x86_64-w64-mingw32-g++-posix
[ -f "$build/CTestTestfile.cmake" ] || rp_die "no Windows test build in $build: scripts/windows.sh --tests did not make it"

# No sound driver: a suite that needs no device must not find one either.
export WINEPREFIX=$RP_WORK/wine WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d;winealsa.drv,winepulse.drv=d"
# The Linux programs the suites run through the C library's system(), found
# by Wine's command prompt as .exe files (see unix_command.cpp); OpenAL32.dll
# is beside the game.
mkdir -p "$RP_WORK/unix"
for tool in sox oggenc rm; do
    rp_need "$tool"
    cp "$build/tests/windows/unix_command.exe" "$RP_WORK/unix/$tool.exe" || rp_die "no unix_command.exe in $build"
done
export WINEPATH="Z:$out/Glimmer;Z:$RP_WORK/unix"
trap '"$WINESERVER" -k 2>/dev/null; rp_cleanup' EXIT
rp_start_x 1280x1024
"$WINE" wineboot -i >/dev/null 2>&1 || rp_die "wineboot failed"

# The tests whose command is a cross-built program (ctest puts Wine in front
# of those); scripts written for the Linux programs are left out.
suites=$(cd "$build" && ctest --show-only=json-v1 | python3 -c '
import json, sys
tests = json.load(sys.stdin)["tests"]
print("|".join(t["name"] for t in tests if t.get("command", [""])[0].endswith("/wine64")))')
[ -n "$suites" ] || rp_die "the Windows test build registers no test program"
echo "suites under Wine: ${suites//|/ }"
(cd "$build" && ctest --output-on-failure -j2 --timeout 900 -R "^($suites)\$" "$@")
rp_check "every suite passes under Wine" [ $? = 0 ]
rp_finish
