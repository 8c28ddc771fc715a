#!/usr/bin/env bash
# Installs the Debian packages Glimmer needs, then configures and builds it.
# Usage: scripts/setup.sh [build-dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  libglfw3-dev libgl-dev libopenal-dev libopenal1 libstb-dev libvorbis-dev libgtest-dev
  xvfb xauth x11-utils x11-apps x11-xserver-utils xdotool openbox wmctrl imagemagick sox vorbis-tools
  python3 clang-14 llvm-14 libclang-rt-14-dev libsdl2-dev desktop-file-utils valgrind
)

source scripts/install-packages.sh
install_packages "${packages[@]}"

build="${1:-build}"
shift || true
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
