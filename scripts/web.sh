#!/usr/bin/env bash
# Glimmer in the browser: installs what the web build needs, builds the page
# into build-web/ (index.html, glimmer.js, glimmer.wasm, glimmer.data, the
# picture packages and the icon: a self-contained folder any static web
# server can serve, from any folder) and serves it on 127.0.0.1.
#
# Usage: scripts/web.sh [--install-deps | --build-only | --zip] [--port N]
#   --install-deps  only install the Debian packages and the test driver's npm packages
#   --build-only    install what is missing and build, without serving
#   --zip           build, then pack build-web/ as glimmer-web.zip (index.html at
#                   its root) for a game portal or any static host
# The game data is drawn by the desktop build's content tool (in build/);
# libogg and libvorbis are built for the browser from their pinned sources
# (scripts/pinned-sources.sh) into build-web-deps/ once.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

mode=serve
port=8000
while [ $# -gt 0 ]; do
  case "$1" in
    --install-deps) mode=install ;;
    --build-only) mode=build ;;
    --zip) mode=zip ;;
    --port) port=$2; shift ;;
    *) echo "usage: scripts/web.sh [--install-deps | --build-only | --zip] [--port N]" >&2; exit 2 ;;
  esac
  shift
done

# Emscripten and its optimizer's parser, the browser the tests drive, and
# what the desktop build needs to configure and run the content tool.
packages=(
  emscripten node-acorn chromium vorbis-tools zip unzip git ca-certificates
  build-essential cmake pkg-config ccache
  libglfw3-dev libgl-dev libopenal-dev libstb-dev libvorbis-dev libcurl4-openssl-dev libgtest-dev
)

source scripts/install-packages.sh
source scripts/pinned-sources.sh
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

# libogg and libvorbis for the browser, once per version (the decoder the
# desktop takes from Debian, which has no build of it for emscripten).
deps=$root/build-web-deps
vorbis_prefix=$deps/prefix
pinned_downloads=$deps/sources
build_web_dep() {
  local name=$1 version=$2 file log=$deps/build-$1.log
  shift 2
  [ -f "$vorbis_prefix/.built-$name-$version" ] && return 0
  file=$(archive "$name")
  echo "== building $name $version for the browser"
  rm -rf "$deps/src/$name-$version" "$deps/build/$name" "$log"
  mkdir -p "$deps/src"
  tar -xzf "$file" -C "$deps/src"
  { emcmake cmake -S "$deps/src/$name-$version" -B "$deps/build/$name" -DCMAKE_BUILD_TYPE=Release \
      -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$vorbis_prefix" "$@" &&
    cmake --build "$deps/build/$name" -j"$(nproc)" && cmake --install "$deps/build/$name"; } >"$log" 2>&1 ||
    { tail -n 40 "$log" >&2; echo "failed: $name for the browser (log: $log)" >&2; exit 1; }
  touch "$vorbis_prefix/.built-$name-$version"
}

build() {
  # The machine's node may not be Debian's: point it at Debian's acorn.
  export NODE_PATH=/usr/share/nodejs
  export CCACHE_DIR=${CCACHE_DIR:-$HOME/.ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

  # libogg's type-size checks cannot read a WebAssembly object: the sizes are given.
  local sizes=() size
  for size in INT16_SIZE=2 UINT16_SIZE=2 U_INT16_SIZE=2 INT32_SIZE=4 UINT32_SIZE=4 U_INT32_SIZE=4 INT64_SIZE=8 \
              SHORT_SIZE=2 INT_SIZE=4 LONG_SIZE=4 LONG_LONG_SIZE=8; do
    sizes+=("-D$size" "-DHAVE_${size%%=*}=TRUE")
  done
  build_web_dep libogg 1.3.5 -DINSTALL_DOCS=OFF "${sizes[@]}"
  build_web_dep libvorbis 1.3.7 -DOGG_INCLUDE_DIR="$vorbis_prefix/include" -DOGG_LIBRARY="$vorbis_prefix/lib/libogg.a"

  # The game data and icon, from the desktop build.
  [ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  cmake --build build -j"$(nproc)" --target glimmer_data glimmer_icons

  emcmake cmake -S . -B build-web-cmake -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DGLIMMER_WEB_DATA="$root/build/data" -DGLIMMER_WEB_SITE="$root/build-web" \
    -DGLIMMER_WEB_VORBIS="$vorbis_prefix" >/dev/null
  cmake --build build-web-cmake -j"$(nproc)"
  echo "Built $root/build-web/"
}

case "$mode" in
  install)
    install_packages "${packages[@]}"
    install_driver
    ;;
  build | zip)
    install_packages "${packages[@]}"
    [ "${GLIMMER_NO_INSTALL:-}" = 1 ] && install_driver
    build
    if [ "$mode" = zip ]; then
      # build-web/'s files at the zip's root, index.html among them; the page
      # names its files by relative paths only, so it works from any folder.
      rm -f glimmer-web.zip
      (cd build-web && zip -q -9 -r -X ../glimmer-web.zip .)
      echo "Packed $root/glimmer-web.zip ($(unzip -Z1 glimmer-web.zip | wc -l) files)"
    fi
    ;;
  serve)
    install_packages "${packages[@]}"
    build
    echo "Glimmer: http://127.0.0.1:$port/  (Ctrl+C stops the server)"
    exec python3 -m http.server --bind 127.0.0.1 --directory build-web "$port"
    ;;
esac
