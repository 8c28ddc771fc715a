#!/usr/bin/env bash
# Installs the built game into a temporary prefix and uses it as a player
# would: the launcher started from another folder under a private X server
# with a window manager, the window closed by the desktop, the save found in
# the per-user folder; then checks the desktop entry and icons, the launcher's
# refusals, and that the uninstall target removes what the install put there.
#
# Usage: install_test.sh <build-dir>
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/glimmer_install.XXXXXX)
# A space in the prefix checks the quoting of the launcher and desktop entry.
prefix="$work/pre fix"
manifest="$build/install_manifest.txt"
xvfb_pid=""
wm_pid=""
app_pid=""
other_pid=""

cleanup() {
  for pid in $app_pid $other_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  # The build's manifest belongs to whoever installed from it last: put back theirs.
  if [ -f "$work/manifest.saved" ]; then cp "$work/manifest.saved" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$work"
}
[ -f "$manifest" ] && cp "$manifest" "$work/manifest.saved"
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in install.log out err uninstall.log; do
    if [ -s "$work/$f" ]; then echo "--- $f:" >&2; grep -v '^ALSA lib\|^AL lib' "$work/$f" | tail -n 40 >&2 || true; fi
  done
  exit 1
}

# Polls a command until it succeeds, for at most $1 seconds.
wait_for() {
  local limit=$1
  shift
  for _ in $(seq $((limit * 20))); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.05
  done
  return 1
}

start_display() {
  local n
  for _ in $(seq 20); do
    n=$((200 + RANDOM % 700))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    if wait_for 10 xdpyinfo && kill -0 "$xvfb_pid" 2>/dev/null; then return 0; fi
    kill "$xvfb_pid" 2>/dev/null || true
  done
  fail "no X server could be started"
}

start_window_manager() {
  for _ in 1 2 3; do
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    if wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'; then return 0; fi
    kill "$wm_pid" 2>/dev/null || true
  done
  fail "openbox did not start"
}

printf '[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = %s/out.wav\n' "$work" >"$work/alsoft.conf"
export ALSOFT_CONF="$work/alsoft.conf"

# --- Install -----------------------------------------------------------------
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || fail "cmake --install failed"

launcher="$prefix/bin/glimmer"
[ -x "$launcher" ] || fail "no launcher at bin/glimmer"
[ -x "$prefix/libexec/glimmer/glimmer" ] || fail "no program at libexec/glimmer/glimmer"
for f in data/fonts data/sfx data/icon/glimmer-48.png data/icon/glimmer-32.png; do
  [ -e "$prefix/share/glimmer/$f" ] || fail "share/glimmer/$f was not installed"
done
for size in 16 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/glimmer.png"
  [ -f "$icon" ] || fail "no ${size}x${size} icon"
  got=$(identify -format '%wx%h %[channels]' "$icon")
  [[ "$got" == "${size}x${size} srgba"* ]] || fail "icon ${size}x${size} is '$got', expected ${size}x${size} with alpha"
done

desktop="$prefix/share/applications/glimmer.desktop"
[ -f "$desktop" ] || fail "no desktop entry"
desktop-file-validate "$desktop" >"$work/validate.log" 2>&1 || { cat "$work/validate.log" >&2; fail "desktop-file-validate rejected the entry"; }
grep -qx "Exec=\"$launcher\"" "$desktop" || fail "Exec line is '$(grep ^Exec= "$desktop")', expected the quoted launcher path"
grep -qx "Icon=glimmer" "$desktop" || fail "the entry does not name the glimmer icon"

# --- Launcher refusals (no display needed) -----------------------------------
elsewhere="$work/elsewhere"
mkdir -p "$elsewhere" "$work/home"
set +e
(cd "$elsewhere" && env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_DATA_HOME HOME="$work/home" "$launcher" >"$work/out" 2>"$work/err" </dev/null)
status=$?
set -e
# With XDG_DATA_HOME unset the folder is under HOME; the game's own start-up
# failure (no display) comes through as its status.
[ "$status" = 255 ] || fail "status $status without a display, expected the game's 255"
link="$work/home/.local/share/glimmer/data"
[ -L "$link" ] || fail "no data link in ~/.local/share/glimmer"
[ "$(readlink -f "$link")" = "$(readlink -f "$prefix/share/glimmer/data")" ] || fail "the data link points to $(readlink "$link")"

mkdir -p "$work/blocked/glimmer/data"
set +e
(cd "$elsewhere" && env -u DISPLAY XDG_DATA_HOME="$work/blocked" HOME="$work/home" "$launcher" >"$work/out" 2>"$work/err" </dev/null)
status=$?
set -e
[ "$status" = 1 ] || fail "status $status with a real data folder in the way, expected 1"
grep -q "is not a link" "$work/err" || fail "no message about the folder in the way"
[ -d "$work/blocked/glimmer/data" ] && [ ! -L "$work/blocked/glimmer/data" ] || fail "the player's folder was replaced"

# --- The installed game under a desktop ----------------------------------------
start_display
start_window_manager
user="$work/xdg"
(cd "$elsewhere" && HOME="$work/home" XDG_DATA_HOME="$user" exec "$launcher" >"$work/out" 2>"$work/err" </dev/null) &
app_pid=$!
wait_for 30 sh -c "xdotool search --onlyvisible --name '^Glimmer$' | grep -q ." || fail "no window titled Glimmer appeared"
window=$(xdotool search --onlyvisible --name '^Glimmer$' | head -n 1)
wait_for 20 sh -c "xdotool getwindowfocus | grep -qx $window" || fail "the window never got the focus"
wait_for 10 sh -c "xprop -id $window _NET_WM_ICON | grep -q 'Icon (48 x 48)'" || fail "the window has no 48x48 icon"
icons=$(xprop -id "$window" _NET_WM_ICON)
grep -q 'Icon (32 x 32)' <<<"$icons" || fail "the window has no 32x32 icon"

# Losing the focus makes the game save; another client's window takes it.
xlogo >/dev/null 2>&1 &
other_pid=$!
state="$user/glimmer/.zephyrstate"
wait_for 20 test -s "$state" || fail "no state file in the per-user folder after losing the focus"

wmctrl -c Glimmer
wait_for 20 sh -c "! kill -0 $app_pid" || fail "the game did not end within 20s of the close request"
set +e
wait "$app_pid"
status=$?
set -e
app_pid=""
[ "$status" = 0 ] || fail "status $status after closing the window, expected 0"
[ -s "$state" ] || fail "the state file is gone after closing"
grep -q '|' "$state" || fail "the state file does not hold the saved settings: $(head -c 200 "$state")"
[ ! -e "$elsewhere/.zephyrstate" ] || fail "a state file was written in the folder the launcher was started from"
[ -z "$(find "$prefix" -name .zephyrstate)" ] || fail "a state file was written in the install folder"

# --- Uninstall ---------------------------------------------------------------
cmake --build "$build" --target uninstall >"$work/uninstall.log" 2>&1 || fail "the uninstall target failed"
left=$(find "$prefix" -type f -o -type l)
[ -z "$left" ] || fail "uninstall left files behind: $left"
for d in libexec/glimmer share/glimmer; do
  [ ! -e "$prefix/$d" ] || fail "uninstall left the folder $d"
done
[ -s "$state" ] || fail "uninstall touched the player's save"
echo "ok (install, launch, save, close, desktop entry, icons, uninstall)"
