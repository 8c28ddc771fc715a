#!/usr/bin/env bash
# Sets Glimmer up with its test toolchain and runs its tests with CTest.
#
#   bash scripts/test.sh [ctest arguments]          the quick run: the normal build
#                                                   ("build") and every test not labelled "full"
#   bash scripts/test.sh --full [ctest arguments]   everything: the extra dependencies,
#       every test, then the AddressSanitizer + UndefinedBehaviorSanitizer build
#       ("build-asan") over the tests labelled "asan", then the ThreadSanitizer
#       build ("build-tsan") over the services' tests
#
# GoogleTest suites that open windows (label "display") share one private X
# server with a window manager started here; the scripts that drive the real
# program start their own. Only tests labelled "realtime" (real-time sound,
# real key input) get a second try: anything else that fails once fails.
# Any sanitizer report fails its test. The tests themselves install nothing
# (GLIMMER_NO_INSTALL): this script installs what they use first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# The test toolchain: GoogleTest, a private X server with a window manager
# and the tools that drive real windows, sound and media tools, the fuzzing
# compiler, the benchmark's peer renderer, valgrind; the score server's
# libraries (the test builds build it), PostgreSQL 15 that its full-run tests
# start privately, curl and the load tool hey.
packages=(
  libgtest-dev
  xvfb xauth x11-utils x11-apps x11-xserver-utils xdotool openbox wmctrl imagemagick sox vorbis-tools
  python3 clang-14 llvm-14 libclang-rt-14-dev libsdl2-dev desktop-file-utils valgrind
  libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpq-dev libssl-dev postgresql-15 curl hey
)
source scripts/install-packages.sh
install_packages "${packages[@]}"

mode=quick
if [ "${1:-}" = --full ]; then
  mode=full
  shift
  for extra in web windows package; do
    if [ -f "scripts/$extra.sh" ]; then bash "scripts/$extra.sh" --install-deps; fi
  done
fi
bash scripts/setup.sh build -DGLIMMER_TESTS=ON
export GLIMMER_NO_INSTALL=1
source tests/lib/real_program.sh
rp_start_x

status=0
# run_ctest DIR [ARGUMENTS...]: the tests in DIR but those labelled $skip,
# the real-time ones last with a second try.
run_ctest() {
  local dir=$1
  shift
  (cd "$dir" && ctest --output-on-failure -j2 --timeout 900 -LE "${skip:+$skip|}realtime" "$@") || status=1
  (cd "$dir" && ctest --output-on-failure --timeout 900 -L realtime ${skip:+-LE "$skip"} --repeat until-pass:2 "$@") ||
    status=1
}

# The X server's clean-up on exit must not turn a pass into a failure
# (a kill of a server that already ended fails): no errexit from here on.
if [ "$mode" = quick ]; then
  skip=full run_ctest build "$@"
  set +e
  exit $status
fi
skip="" run_ctest build "$@"

# Leaks are reported except those of the system's GL, X, OpenAL and GLFW
# libraries; UndefinedBehaviorSanitizer stops at its first report.
bash scripts/setup.sh build-asan -DGLIMMER_TESTS=ON -DGLIMMER_SANITIZE=ON
skip="" ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0 \
  LSAN_OPTIONS="suppressions=$root/tests/reliability/lsan_suppressions.txt:print_suppressions=0" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest build-asan -L asan "$@"

cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLIMMER_TSAN=ON >/dev/null
cmake --build build-tsan -j"$(nproc)" --target services_tests
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --output-on-failure --timeout 600 -R '^services$' "$@") || status=1
set +e
exit $status
