#!/usr/bin/env bash
# Builds the Debian packages of Glimmer in a build folder: the score server's,
# glimmer-scores_<version>_<arch>.deb, whose path it prints first, and the
# game's, glimmer_<version>_<arch>.deb, whose path it prints as the last line.
#
# Usage: scripts/package.sh [build-dir]     (default: build)
#        scripts/package.sh --install-deps  only installs the Debian packages
#                                           that packing and its checks use
# A build folder that is not configured yet is set up by scripts/setup.sh;
# then only the installed targets are built before CPack packs them.
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-shlibdeps (dpkg-dev) and file compute the dependencies; the rest check
# the package (tests/install/install_test.sh); then the server's build
# dependencies (HTTP, JSON, SQLite, PostgreSQL's client, OpenSSL's hashes).
packages=(dpkg-dev file gzip lintian appstream groff-base man-db desktop-file-utils
  libcpp-httplib-dev nlohmann-json3-dev libsqlite3-dev libpq-dev libssl-dev)

source scripts/install-packages.sh
install_packages "${packages[@]}"
[ "${1:-}" = --install-deps ] && exit 0

build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || bash scripts/setup.sh "$build" -DGLIMMER_TESTS=OFF -DGLIMMER_SERVER=ON
cmake -S . -B "$build" -DGLIMMER_SERVER=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target glimmer glimmer_data glimmer_icons glimmer_docs glimmer-scores \
  glimmer_scores_docs >/dev/null

# CPack records the paths it staged (/usr/...) in install_manifest.txt, the
# file the uninstall target removes from: keep the last real install's record.
manifest=$build/install_manifest.txt
saved=$(mktemp)
had=0
[ -f "$manifest" ] && cp "$manifest" "$saved" && had=1
restore() {
  if [ "$had" = 1 ]; then cp "$saved" "$manifest"; else rm -f "$manifest"; fi
  rm -f "$saved"
}
trap restore EXIT

# pack CONFIG: runs CPack with a configuration and prints the package it made.
pack() {
  local log=$build/cpack.log deb
  if ! (cd "$build" && cpack --config "$1") >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
  fi
  deb=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$log" | tail -n 1)
  [ -f "$deb" ] || { cat "$log" >&2; echo "package.sh: CPack named no package" >&2; exit 1; }
  echo "$deb"
}
pack CPackServerConfig.cmake
pack CPackConfig.cmake
