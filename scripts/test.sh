#!/usr/bin/env bash
# Sets Glimmer up and runs every test with CTest. Tests that need a display
# run under an Xvfb server with a light window manager started here; tests
# that check sound point OpenAL Soft at its wave-file backend themselves, and
# the others keep it away from any sound card.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build

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

cd build
ctest --output-on-failure -j2 --timeout 900 "$@"
