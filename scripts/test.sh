#!/usr/bin/env bash
# Sets Glimmer up and runs every test with CTest. Tests that need a display
# run under an Xvfb server with a light window manager started here; tests
# that check sound point OpenAL Soft at its wave-file backend themselves, and
# the others keep it away from any sound card.
#
# Three builds: "build" (the normal one; its "fuzz" test runs every fuzzer
# briefly when clang-14 is installed), "build-asan" (AddressSanitizer with
# UndefinedBehaviorSanitizer and LeakSanitizer, the whole suite) and
# "build-tsan" (ThreadSanitizer, the services' thread tests). Any sanitizer
# report fails its test. Arguments go to every ctest run.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh build
bash scripts/setup.sh build-asan -DGLIMMER_SANITIZE=ON
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMMER_TSAN=ON >/dev/null
cmake --build build-tsan -j"$(nproc)" --target services_tests

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
  done
  Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $wm_pid $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY="$display"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  wm_pid=$!
fi

status=0
# Tests that measure real-time sound or drive real windows get one more try
# when the machine is busy; a real fault fails both times.
(cd build && ctest --output-on-failure -j2 --timeout 900 --repeat until-pass:2 "$@") || status=1

# Leaks are reported except those of the system's GL, X, OpenAL and GLFW
# libraries; UndefinedBehaviorSanitizer stops at its first report.
# The sanitized run replays the normal build's level solutions instead of
# searching for them again (the search is the slowest test and its result
# does not depend on the build); the real-program data-fault scripts, which
# start the game many times, run in the normal build only.
rm -rf build-asan/solutions
cp -r build/solutions build-asan/solutions 2>/dev/null || true
(cd build-asan &&
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0 \
  LSAN_OPTIONS="suppressions=$root/tests/reliability/lsan_suppressions.txt:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j2 --timeout 1800 --repeat until-pass:2 -LE fuzz -E '^(game_levels_proof|reliability_data_.*)$' \
    -FS level_solutions "$@") || status=1

(cd build-tsan &&
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --output-on-failure --timeout 600 -R '^services$' "$@") || status=1
exit $status
