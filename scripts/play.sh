#!/usr/bin/env bash
# Sets Glimmer up (packages, build, game data) and starts the game.
# The game keeps its save, ./.zephyrstate, in the folder it runs from (build/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh build
cd build
exec ./glimmer "$@"
