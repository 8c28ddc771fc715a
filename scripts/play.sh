#!/usr/bin/env bash
# Sets Glimmer up (the packages building and playing need, the build, the
# game data) and starts the game. A new build folder leaves the tests out.
# The game keeps its save, ./.zephyrstate, in the folder it runs from (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -f build/CMakeCache.txt ]; then
  bash scripts/setup.sh build
else
  bash scripts/setup.sh build -DGLIMMER_TESTS=OFF
fi
cd build
exec ./glimmer "$@"
