#!/usr/bin/env bash
# Takes the pictures of docs/accessibility.md from the built game in its real
# window on a private X server (tests/lib/real_program.sh), and simulates how
# they look with deuteranopia, protanopia and tritanopia (scripts/colour-blind.sh):
#
#   docs/accessibility/states.png      the hazards and states a player tells
#                                      apart (glimmer-playtest --tiles): the exit
#                                      locked, then every tree lit and the exit open
#   docs/accessibility/timer.png       the timer ahead of the best time, then behind it
#   docs/accessibility/simulated.png   both, as each of the three simulations shows them
#   docs/accessibility/calm.png        level 1 with its exit open, calm effects off and on
#
# The game runs from temporary folders whose data/ links to the build's, so no
# save of yours is read or written.
#
# Usage: scripts/accessibility-pictures.sh [build-dir]   (default: build)
# Needs Xvfb, openbox, xdotool and ImageMagick (scripts/test.sh installs them).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
source "$root/tests/lib/real_program.sh"
[ -x "$build/glimmer" ] && [ -x "$build/tools/playtest/glimmer-playtest" ] || rp_die "build the game first: bash scripts/setup.sh"
rp_need import convert montage
out=$root/docs/accessibility
mkdir -p "$out"
rp_start_x 1280x1024
rp_wave_audio

# run NAME COMMAND...: the game from a fresh folder, its menu shown.
run() {
    local name=$1
    shift
    dir=$(rp_run_dir "$name" "$build/data")
    rp_start "$dir" "$@" || rp_die "no game window for $name"
    sleep "${GLIMMER_MENU_WAIT:-6}"
}
# grab NAME [CROP]: the window's picture, cropped to WxH+X+Y of its 640 x 480.
grab() { convert "$(rp_shot "$1")" ${2:+-crop "$2" +repage} "$RP_WORK/$1.png"; }

# The laid-out hazards and states, the exit locked and then open.
for lit in "" --lit; do
    run "tiles$lit" "$build/tools/playtest/glimmer-playtest" --tiles $lit
    # Help off (the tutorial's bubble would cover the tiles), then play.
    for key in Down Return Up; do rp_key "$key" 0.1 0.3; done
    # Three seconds in: the plunger's time a quarter left, the launcher's shot just fired.
    rp_key Return 0.1 "${GLIMMER_TILES_WAIT:-2.9}"
    grab "tiles$lit" 440x230+100+90
    rp_close
done
convert "$RP_WORK/tiles.png" "$RP_WORK/tiles--lit.png" -append "$RP_WORK/states.png"

# The timer: level 1 finished once, the timer switched on (T on the Records
# screen), then level 1 again: ahead of the best time after a second, behind
# it once standing still has taken longer than the whole best run.
run timer "$build/glimmer"
rp_key Return 0.1 4
rp_key Left 2.5 0.5
rp_key Right 3.5 4
rp_key Escape 0.1 0.5
rp_key Up
rp_key z 0.1 4
rp_key r 0.1 1
rp_key t 0.1 1
rp_key Escape 0.1 1
rp_key Return 0.1 3
sleep 1
grab ahead 240x60+200+4
sleep 12
grab behind 240x60+200+4
rp_close
convert "$RP_WORK/ahead.png" "$RP_WORK/behind.png" -append "$RP_WORK/timer.png"

# Calm effects off, then on (the Options screen's fourth row, by keys): level 1
# with its tree lit, so that its exit is open.
for calm in off on; do
    run "calm-$calm" "$build/glimmer"
    if [ "$calm" = on ]; then
        for key in Down Down Down Down Return Down Down Down Right Escape Up Up Up Up; do rp_key "$key" 0.1 0.3; done
    fi
    rp_key Return 0.1 4
    rp_key Left 2.5 1.5
    grab "calm-$calm"
    rp_close
done
convert "$RP_WORK/calm-off.png" "$RP_WORK/calm-on.png" +append -resize 50% "$RP_WORK/calm.png"

# The simulations, each below its label.
for picture in states timer; do
    bash "$root/scripts/colour-blind.sh" "$RP_WORK/$picture.png" "$RP_WORK/$picture"
done
montage -label '%t' -font DejaVu-Sans -pointsize 13 -background '#202030' -fill white \
    "$RP_WORK"/states-{deuteranopia,protanopia,tritanopia}.png \
    "$RP_WORK"/timer-{deuteranopia,protanopia,tritanopia}.png \
    -tile 3x2 -geometry +6+6 "$RP_WORK/simulated.png"
for picture in states timer simulated calm; do
    convert "$RP_WORK/$picture.png" -depth 8 +dither -colors 256 -strip -define png:compression-level=9 "$out/$picture.png" &&
        echo "wrote docs/accessibility/$picture.png"
done
rp_finish
