#!/usr/bin/env bash
# Takes the README's screenshots of the built game on a private X server, with
# the helpers the tests drive the real program with (tests/lib/real_program.sh):
# docs/menu.png (the main menu) and docs/level.png (the first level a few
# moves in); then, level 1 finished, docs/records.png (the Records screen)
# and docs/ghost.png (level 1 again, racing the ghost of that run, the timer
# on); last docs/editor.png, the level editor on a copy of level 15 with a
# rectangle chosen while the solver searches a route (the Route button lit;
# glimmer-solve beside the game in the build). The game runs from a temporary folder whose data/ links to the
# build's, so no save or records of yours are read or written.
#
# Usage: scripts/screenshots.sh [build-dir]   (default: build)
# Needs Xvfb, openbox, xdotool and ImageMagick (scripts/test.sh installs them).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
source "$root/tests/lib/real_program.sh"
[ -x "$build/glimmer" ] && [ -d "$build/data" ] || rp_die "build the game first: bash scripts/setup.sh"
rp_need import convert

rp_start_x 1280x1024
rp_wave_audio
dir=$(rp_run_dir shots "$build/data")
rp_start "$dir" "$build/glimmer" || rp_die "no game window"

# shot NAME: the window's picture into docs/NAME.
shot() {
    convert "$(rp_shot "$1")" -strip -define png:compression-level=9 "$root/docs/$1" && echo "wrote docs/$1"
}

# Loading, then the menu's slide-in and a little snow.
sleep "${GLIMMER_MENU_WAIT:-6}"
shot menu.png

# Play is selected at the start: confirm it, let the level appear, then walk
# left to the first tree (the hero moves tile by tile while the key is held).
rp_key Return
sleep "${GLIMMER_LEVEL_WAIT:-4}"
rp_key Left 2.5 1.5
shot level.png

# On to the exit, so that the level has a record; then quit from level 2
# through the pause panel, open the Records screen and switch the timer on.
rp_key Right 3.5 4
rp_key Escape 0.1 0.5
rp_key Up
rp_key z 0.1 4
[ -s "$dir/replays/level01.glimmer-replay" ] || rp_die "level 1 was not finished: no run kept"
rp_key r 0.1 1
rp_key t 0.1 1
shot records.png

# Level 1 again: the ghost sets off as Pipkin did, Pipkin a moment later.
rp_key Escape 0.1 1
rp_key Return
sleep "$(awk -v w="${GLIMMER_LEVEL_WAIT:-4}" 'BEGIN { print w + 1.5 }')"
rp_key Left 1 0
shot ghost.png

# Back to the menu through the pause panel; My levels (E), the copy of level
# 15 (left of level 1), a maker's name typed, a rectangle chosen with
# shift+arrows, and R: the solver searches while the editor goes on.
[ -x "$build/glimmer-solve" ] || rp_die "no glimmer-solve beside the game: the editor would show no Route button"
rp_key Escape 0.1 0.5
rp_key Up
rp_key z 0.1 3
rp_key e 0.1 1
rp_key Down
rp_key Left
rp_key Return 0.1 1
rp_key k
xdotool type --delay 120 Tester
rp_key Return
for key in Left Left Left Down Down; do rp_key "shift+$key" 0.05 0.1; done
rp_key r 0.1 "${GLIMMER_ROUTE_WAIT:-4}"
shot editor.png
rp_key Escape
rp_close
rp_finish
