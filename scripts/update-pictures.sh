#!/usr/bin/env bash
# Rewrites the reference pictures of the screens (tests/game/pictures/) after
# an intended change to what the game draws, and lists those that changed.
# Builds first; draws under a private X server as the tests do. Look at the
# changed pictures before committing them.
#
# Usage: scripts/update-pictures.sh [build-dir]   (default: build)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
[ -f "$build/CMakeCache.txt" ] || bash "$root/scripts/setup.sh" "$build" -DGLIMMER_TESTS=ON || exit 1
cmake --build "$build" -j2 --target game_pictures_tests glimmer_data || exit 1
source "$root/tests/lib/real_program.sh"
rp_need convert
rp_start_x
(cd "$build" && GLIMMER_UPDATE_PICTURES=1 ALSOFT_DRIVERS=null GLIMMER_SOLUTIONS="$root/tests/game/solutions" \
    ./tests/game/game_pictures_tests >"$RP_WORK/out.txt" 2>&1)
status=$?
# Written again at zlib's best compression (the pixels stay the same).
grep '^changed: ' "$RP_WORK/out.txt" | sed 's/^changed: //' | while read -r file; do
    convert "$file" -strip -define png:compression-level=9 -define png:compression-filter=5 \
        -define png:compression-strategy=1 "PNG24:$file" && echo "changed: ${file#$root/}"
done
[ "$status" = 0 ] || { cat "$RP_WORK/out.txt"; rp_die "the pictures test failed"; }
grep -q '^changed: ' "$RP_WORK/out.txt" || echo "no picture changed"
rp_finish >/dev/null
