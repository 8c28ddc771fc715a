#!/usr/bin/env bash
# Installs the Debian packages that building and playing Glimmer need, then
# configures and builds it (the test toolchain comes with scripts/test.sh).
# Usage: scripts/setup.sh [build-dir] [cmake arguments]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  libglfw3-dev libgl-dev libopenal-dev libopenal1 libstb-dev libvorbis-dev libcurl4-openssl-dev
)

source scripts/install-packages.sh
install_packages "${packages[@]}"

build="${1:-build}"
shift || true
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
