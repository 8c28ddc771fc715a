#!/usr/bin/env bash
# The web build in headless Chromium: builds the page and its zip
# (scripts/web.sh reuses an up-to-date build), plays it from the zip
# (browser_test.mjs), then replays frames the
# desktop benchmark records through the page's WebGL renderer and compares
# the pictures with the desktop renderer's. Needs an X display for the
# desktop side; fails, never skips, when a tool or the display is missing.
#
# Usage: web_test.sh <desktop build folder>
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bench=$(cd "$1" && pwd)/tools/bench/glimmer-bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Builds only: the packages and the driver come with the setup (scripts/web.sh --install-deps).
GLIMMER_NO_INSTALL=1 bash "$root/scripts/web.sh" --zip >"$work/build.log" 2>&1 ||
  { tail -30 "$work/build.log"; exit 1; }
node "$root/tests/web/browser_test.mjs" "$root/glimmer-web.zip" "$(cd "$1" && pwd)/tools/replay/glimmer-replay" \
  "$root/tests/game/solutions" "$(cd "$1" && pwd)/server/glimmer-scores"

# At most 1 % of the pixels of a frame may differ by more than 8 levels in a channel
# (edges of scaled pictures may round to the neighbouring texel).
"$bench" --sections render --quick --save-frames "$work" >"$work/desktop.txt"
node "$root/tools/bench/web/web_bench.mjs" --recordings "$work" --replay "$root/build-web-cmake/bench" \
  --scenes menu_640x480_,game_640x480_,game_1280x720_ | tee "$work/web.txt" || true
status=0
for scene in menu_640x480 game_640x480 game_1280x720; do
  share=$(awk -v n="web_${scene}_pixels_differing" '$1 == n { print $2 }' "$work/web.txt")
  if [ -n "$share" ] && awk -v s="$share" 'BEGIN { exit !(s <= 1.0) }'; then
    echo "ok: $scene: ${share} % of the pixels differ from the desktop renderer's"
  else
    echo "FAIL: $scene: ${share:-no} % of the pixels differ from the desktop renderer's (at most 1 %)"
    status=1
  fi
done
exit $status
