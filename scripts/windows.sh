#!/usr/bin/env bash
# Builds Glimmer for 64-bit Windows on Debian, with mingw-w64:
#   build-windows/Glimmer/                     the game folder (glimmer.exe, the level solver glimmer-solve.exe
#                                              the editor starts, OpenAL32.dll, data\, licences)
#   build-windows/Glimmer-<version>-windows.zip  that folder, to unpack and play anywhere
#   build-windows/Glimmer-<version>-setup.exe    the installer (NSIS)
#
# Usage: scripts/windows.sh [--install-deps] [--sources DIR] [--tests]
#   --install-deps  only install the Debian packages the build needs
#   --sources DIR   take the upstream archives from DIR (name-version.tar.gz);
#                   by default ../shared/third_party beside the repository
#                   when it is there. An archive found in neither is fetched
#                   at its pinned commit from upstream.
#   --tests         also cross-build the GoogleTest suites, glimmer-replay and glimmer-solve into build-windows/tests
#
# GLFW, OpenAL Soft, libogg and libvorbis are built from pinned upstream
# sources, verified by checksum, into build-windows/deps once (a library is
# rebuilt only when its stamp is missing). OpenAL Soft is a DLL beside the
# program, so a player may replace it; the others are linked in. The content
# and icon tools run on this machine to make data\ and the .ico.
set -euo pipefail
root=$(realpath "$(dirname "$0")/..")

packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine wine64 nsis zip imagemagick git ca-certificates googletest
  build-essential cmake pkg-config libglfw3-dev libgl-dev libopenal-dev libstb-dev libvorbis-dev libcurl4-openssl-dev
)

source "$root/scripts/install-packages.sh"

source "$root/scripts/pinned-sources.sh"
tests=0
while [ $# -gt 0 ]; do
  case $1 in
    --install-deps) install_packages "${packages[@]}"; exit 0 ;;
    --sources) sources=$(realpath -m "$2"); shift ;;
    --tests) tests=1 ;;
    *) echo "usage: $0 [--install-deps] [--sources DIR] [--tests]" >&2; exit 2 ;;
  esac
  shift
done
cd "$root"
install_packages "${packages[@]}"

out=$root/build-windows
deps=$out/deps
prefix=$deps/prefix
toolchain=$root/cmake/windows/mingw-w64-x86_64.cmake
triple=x86_64-w64-mingw32
jobs=$(nproc)
mkdir -p "$out" "$deps"
pinned_downloads=$deps/sources
start=$SECONDS

# Compilers go through ccache when it is installed (its settings come from the environment).
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
else
  launcher=()
fi

# logged LOG COMMAND...: runs the command with its output in LOG, shown when it fails.
logged() {
  local log=$1
  shift
  "$@" >>"$log" 2>&1 || { tail -n 60 "$log" >&2; echo "failed: $* (log: $log)" >&2; exit 1; }
}

# build_dep NAME VERSION CMAKE-ARGS...: unpacks, cross-builds and installs
# into the prefix, once.
build_dep() {
  local name=$1 version=$2 file
  shift 2
  [ -f "$prefix/.built-$name-$version" ] && return 0
  file=$(archive "$name")
  echo "== building $name $version for Windows"
  rm -rf "$deps/src/$name-$version" "$deps/build/$name"
  mkdir -p "$deps/src"
  tar -xzf "$file" -C "$deps/src"
  local log=$deps/build-$name.log
  rm -f "$log"
  logged "$log" cmake -S "$deps/src/$name-$version" -B "$deps/build/$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DGLIMMER_WINDOWS_DEPS="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF "${launcher[@]}" "$@"
  logged "$log" cmake --build "$deps/build/$name" -j"$jobs"
  logged "$log" cmake --install "$deps/build/$name"
  touch "$prefix/.built-$name-$version"
}

build_dep glfw 3.3.8 -DGLFW_BUILD_EXAMPLES=OFF -DGLFW_BUILD_TESTS=OFF -DGLFW_BUILD_DOCS=OFF
# A DLL with the C and C++ runtimes linked in: nothing else to ship beside it.
build_dep openal-soft 1.23.1 -DLIBTYPE=SHARED -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF \
  -DALSOFT_INSTALL_CONFIG=OFF -DALSOFT_INSTALL_HRTF_DATA=OFF -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF \
  -DCMAKE_SHARED_LINKER_FLAGS=-static
build_dep libogg 1.3.5 -DINSTALL_DOCS=OFF
build_dep libvorbis 1.3.7 -DOGG_INCLUDE_DIR="$prefix/include" -DOGG_LIBRARY="$prefix/lib/libogg.a"
# stb is header-only: Debian's headers, seen through the prefix.
mkdir -p "$prefix/include" "$prefix/lib/pkgconfig"
ln -sfn /usr/include/stb "$prefix/include/stb"
printf 'prefix=%s\nName: stb\nDescription: stb headers\nVersion: 0\nCflags: -I${prefix}/include\n' \
  "$prefix" >"$prefix/lib/pkgconfig/stb.pc"
echo "== dependencies ready ($((SECONDS - start)) s)"

# The content and icon tools, built for this machine.
rm -f "$out/native.log"
logged "$out/native.log" cmake -S "$root" -B "$out/native" -DCMAKE_BUILD_TYPE=Release -DGLIMMER_TESTS=OFF "${launcher[@]}"
logged "$out/native.log" cmake --build "$out/native" -j"$jobs" --target glimmer_data glimmer_icons
icon=$out/native/icons/glimmer.ico

# cross_build DIR TESTS TARGET...: the game's sources for Windows.
cross_build() {
  local dir=$1 with_tests=$2
  shift 2
  rm -f "$dir.log"
  logged "$dir.log" cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DGLIMMER_WINDOWS_DEPS="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DGLIMMER_TESTS="$with_tests" -DGLIMMER_WINDOWS_ICON="$icon" "${launcher[@]}"
  logged "$dir.log" cmake --build "$dir" -j"$jobs" --target "$@"
}
cross_build "$out/game" OFF glimmer glimmer-solve
echo "== glimmer.exe and glimmer-solve.exe built ($((SECONDS - start)) s)"
if [ "$tests" = 1 ]; then
  # The suites that run under Wine (tests/windows/wine_suites.sh), with the
  # game's data where the game suite looks for it, the replay checker, and
  # the solver and the child program the tool process tests start.
  cross_build "$out/tests" ON runtime_tests host_tests framework_tests services_tests audio_tests game_tests unix_command \
    windows_edges_test tool_child \
    glimmer-replay glimmer-solve
  ln -sfn ../native/data "$out/tests/data"
  echo "== test suites built ($((SECONDS - start)) s)"
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/game/CMakeCache.txt")

# Text files with Windows line ends.
crlf() { sed 's/\r$//; s/$/\r/' "$@"; }

game=$out/Glimmer
rm -rf "$game"
mkdir -p "$game/licenses"
cp "$out/game/glimmer.exe" "$out/game/glimmer-solve.exe" "$prefix/bin/OpenAL32.dll" "$game/"
$triple-strip "$game/glimmer.exe" "$game/glimmer-solve.exe" "$game/OpenAL32.dll"
cp -r "$out/native/data" "$game/data"
crlf "$root/LICENSE" >"$game/LICENSE.txt"
# The readme with the description from README.md (written by the native configure).
about=$out/native/about
while IFS= read -r line; do
  if [ "$line" = "@DESCRIPTION@" ]; then cat "$about/description.txt"; else printf '%s\n' "${line//@VERSION@/$version}"; fi
done <"$root/cmake/windows/README.txt" | crlf >"$game/README.txt"
src=$deps/src
crlf "$src/glfw-3.3.8/LICENSE.md" >"$game/licenses/GLFW.txt"
crlf "$src/libogg-1.3.5/COPYING" >"$game/licenses/libogg.txt"
crlf "$src/libvorbis-1.3.7/COPYING" >"$game/licenses/libvorbis.txt"
crlf "$src/openal-soft-1.23.1/COPYING" >"$game/licenses/OpenAL-Soft.txt"
sed -n '/^This software is available under 2 licenses/,/^\*\//p' /usr/include/stb/stb_image.h | crlf >"$game/licenses/stb.txt"
crlf /usr/share/doc/mingw-w64-x86-64-dev/copyright >"$game/licenses/mingw-w64.txt"
# OpenAL Soft's licence asks that its source travel with the DLL.
openal_source=$(archive openal-soft)
cp "$openal_source" "$game/licenses/openal-soft-1.23.1-source.tar.gz"
crlf >"$game/THIRD-PARTY-NOTICES.txt" <<EOF
Glimmer $version for Windows is built with these libraries. Their licences
are in the folder licenses\\.

GLFW 3.3.8 (window, OpenGL context, input) - zlib licence - licenses\\GLFW.txt
  https://github.com/glfw/glfw, linked into glimmer.exe.
libogg 1.3.5 and libvorbis 1.3.7 (Ogg Vorbis decoding) - BSD 3-clause
  licence - licenses\\libogg.txt, licenses\\libvorbis.txt
  https://github.com/xiph/ogg, https://github.com/xiph/vorbis, linked into glimmer.exe
  and glimmer-solve.exe.
stb_image (PNG decoding) - public domain or MIT licence - licenses\\stb.txt
  https://github.com/nothings/stb, compiled into glimmer.exe and glimmer-solve.exe.
OpenAL Soft 1.23.1 (sound) - GNU Lesser General Public License 2.1 or later
  - licenses\\OpenAL-Soft.txt
  https://github.com/kcat/openal-soft, commit d3875f333fb6abe2f39d82caca329414871ae53b,
  unmodified. It is the separate library OpenAL32.dll: you may replace it
  with your own build. Its complete source code is
  licenses\\openal-soft-1.23.1-source.tar.gz.
The mingw-w64 runtime and its POSIX thread library (linked into the
  programs) - licences listed in licenses\\mingw-w64.txt
EOF

# The portable zip holds the Glimmer folder itself.
zip_file=$out/Glimmer-$version-windows.zip
rm -f "$zip_file"
(cd "$out" && zip -q -r -9 "$zip_file" Glimmer)

# The installer's welcome and finish pages: the icon on the night blue of its tile.
side=$out/installer-side.bmp
convert -size 164x314 xc:'#1e2f6c' "$out/native/icons/glimmer-128.png" -gravity center -composite \
  -type truecolor BMP3:"$side"
setup=$out/Glimmer-$version-setup.exe
makensis -V2 -DVERSION="$version" -DPUBLISHER="$(cat "$about/maker.txt")" -DGAME_DIR="$game" -DICON="$icon" -DSIDE_PICTURE="$side" -DOUT_FILE="$setup" \
  "$root/cmake/windows/installer.nsi"

echo "== done in $((SECONDS - start)) s"
ls -l "$zip_file" "$setup"
