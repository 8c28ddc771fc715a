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

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build="${1:-build}"
shift || true
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
