#!/usr/bin/env bash
# Takes the README's screenshots of the built game under a private X server:
# docs/menu.png (the main menu) and docs/level.png (the first level a few
# moves in). The game runs from a temporary folder with a link to the build's
# data, so no save of yours is read or written.
#
# Usage: scripts/screenshots.sh [build-dir]   (default: build)
# Needs Xvfb, xdotool and ImageMagick (all installed by scripts/setup.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=$root/docs
[ -x "$build/glimmer" ] && [ -d "$build/data" ] || { echo "build the game first: bash scripts/setup.sh" >&2; exit 1; }

work=$(mktemp -d /tmp/glimmer_shots.XXXXXX)
xvfb_pid=""
game_pid=""
cleanup() {
  for pid in $game_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

wait_for() {
  local limit=$1
  shift
  for _ in $(seq $((limit * 10))); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# A screen the size of the window: the window opens centred, so it fills it.
for n in $(seq 150 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 640x480x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
wait_for 10 xdpyinfo || { echo "Xvfb did not start" >&2; exit 1; }

# Sound goes to a file, not to a sound card.
printf '[general]\ndrivers = wave\n[wave]\nfile = %s/sound.wav\n' "$work" >"$work/alsoft.conf"
export ALSOFT_CONF=$work/alsoft.conf

ln -s "$build/data" "$work/data"
(cd "$work" && exec "$build/glimmer" >"$work/out" 2>"$work/err" </dev/null) &
game_pid=$!
wait_for 30 sh -c "xdotool search --onlyvisible --name '^Glimmer$' | grep -q ." || { echo "no game window" >&2; cat "$work/out" >&2; exit 1; }
window=$(xdotool search --onlyvisible --name '^Glimmer$' | head -n 1)
# With no window manager the focus is given by hand; without it the game pauses.
xdotool windowfocus --sync "$window"

shot() {
  import -window root "$work/shot.png"
  convert "$work/shot.png" -strip -define png:compression-level=9 "$out/$1"
  echo "wrote docs/$1"
}

key() {
  xdotool key --delay 60 "$@"
}

# Hold a key for a number of seconds (the hero moves tile by tile while held).
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}

mkdir -p "$out"
# Loading, then the menu's slide-in and a little snow.
sleep "${GLIMMER_MENU_WAIT:-6}"
shot menu.png

# Play is selected at the start: confirm it, let the level appear, then walk
# left to the first tree.
key Return
sleep "${GLIMMER_LEVEL_WAIT:-4}"
hold Left 2.5
sleep 1.5
shot level.png
