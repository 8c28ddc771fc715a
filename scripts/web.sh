#!/usr/bin/env bash
# Glimmer in the browser: installs what the web build needs, builds the page
# into build-web/ (index.html, glimmer.js, glimmer.wasm, glimmer.data and the
# icon: a self-contained folder any static web server can serve) and serves it
# on 127.0.0.1.
#
# Usage: scripts/web.sh [--install-deps | --build-only] [--port N]
#   --install-deps  only install the Debian packages and the test driver's npm packages
#   --build-only    install what is missing and build, without serving
# The game data is drawn by the desktop build's content tool (in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

mode=serve
port=8000
while [ $# -gt 0 ]; do
  case "$1" in
    --install-deps) mode=install ;;
    --build-only) mode=build ;;
    --port) port=$2; shift ;;
    *) echo "usage: scripts/web.sh [--install-deps | --build-only] [--port N]" >&2; exit 2 ;;
  esac
  shift
done

# Emscripten and its optimizer's parser, the browser the tests drive, and
# what the desktop build needs to configure and run the content tool.
packages=(
  emscripten node-acorn chromium
  build-essential cmake pkg-config ccache
  libglfw3-dev libgl-dev libopenal-dev libstb-dev libvorbis-dev libgtest-dev
)

source scripts/install-packages.sh
# npm is part of Debian's nodejs packaging; a machine with its own node has it already.
command -v npm >/dev/null || packages+=(npm)

# The headless browser tests' driver, installed again when its lock file
# changed (by the setup, never by a test: see install-packages.sh).
install_driver() {
  if [ ! -f tests/web/node_modules/.package-lock.json ] ||
     [ tests/web/package-lock.json -nt tests/web/node_modules/.package-lock.json ]; then
    if [ "${GLIMMER_NO_INSTALL:-}" = 1 ]; then
      echo "the browser tests' npm packages are missing or stale: run bash scripts/web.sh --install-deps" >&2
      return 1
    fi
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
  fi
}

build() {
  # The machine's node may not be Debian's: point it at Debian's acorn.
  export NODE_PATH=/usr/share/nodejs
  export CCACHE_DIR=${CCACHE_DIR:-$HOME/.ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

  # The game data and icon, from the desktop build.
  [ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  cmake --build build -j"$(nproc)" --target glimmer_data glimmer_icons

  emcmake cmake -S . -B build-web-cmake -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DGLIMMER_WEB_DATA="$root/build/data" -DGLIMMER_WEB_SITE="$root/build-web" >/dev/null
  cmake --build build-web-cmake -j"$(nproc)"
  echo "Built $root/build-web/"
}

case "$mode" in
  install)
    install_packages "${packages[@]}"
    install_driver
    ;;
  build)
    install_packages "${packages[@]}"
    [ "${GLIMMER_NO_INSTALL:-}" = 1 ] && install_driver
    build
    ;;
  serve)
    install_packages "${packages[@]}"
    build
    echo "Glimmer: http://127.0.0.1:$port/  (Ctrl+C stops the server)"
    exec python3 -m http.server --bind 127.0.0.1 --directory build-web "$port"
    ;;
esac
