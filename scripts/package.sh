#!/usr/bin/env bash
# Builds the Debian package of Glimmer, glimmer_<version>_<arch>.deb, in a
# build folder and prints its path as the last line.
#
# Usage: scripts/package.sh [build-dir]     (default: build)
#        scripts/package.sh --install-deps  only installs the Debian packages
#                                           that packing and its checks use
# A build folder that is not configured yet is set up by scripts/setup.sh;
# then only the installed targets are built before CPack packs them.
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-shlibdeps (dpkg-dev) and file compute the dependencies; the rest check
# the package (tests/install/install_test.sh).
packages=(dpkg-dev file gzip lintian appstream groff-base man-db desktop-file-utils)

source scripts/install-packages.sh
install_packages "${packages[@]}"
[ "${1:-}" = --install-deps ] && exit 0

build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || bash scripts/setup.sh "$build" -DGLIMMER_TESTS=OFF
cmake --build "$build" -j"$(nproc)" --target glimmer glimmer_data glimmer_icons glimmer_docs >/dev/null

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

log=$build/cpack.log
if ! (cd "$build" && cpack -G DEB) >"$log" 2>&1; then
  cat "$log" >&2
  exit 1
fi
deb=$(sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$log" | tail -n 1)
[ -f "$deb" ] || { cat "$log" >&2; echo "package.sh: CPack named no package" >&2; exit 1; }
echo "$deb"
