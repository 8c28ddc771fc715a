#!/usr/bin/env bash
# Runs the real program (the host with a small application) under a private
# X server and checks one behaviour a player or the desktop would cause.
#
# Usage: real_program_test.sh <case> <program>
# Cases: window, close, focus, iconify, fullscreen, no-display, runtime-error, debugger-quit
#
# Each case starts its own Xvfb (and openbox where a window manager matters),
# so cases are independent and can run in parallel. Waits poll with a timeout.
set -euo pipefail

case_name=$1
program=$2
work=$(mktemp -d /tmp/glimmer_program.XXXXXX)
xvfb_pid=""
wm_pid=""
app_pid=""
other_pid=""

cleanup() {
  for pid in $app_pid $other_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL ($case_name): $*" >&2
  if [ -f "$work/out" ]; then echo "--- program output:" >&2; cat "$work/out" >&2; fi
  if [ -f "$work/err" ]; then echo "--- program errors:" >&2; grep -v '^ALSA lib\|^AL lib' "$work/err" >&2 || true; fi
  echo "--- DISPLAY=${DISPLAY:-}" >&2
  exit 1
}

# Polls a command until it succeeds, for at most $1 seconds.
wait_for() {
  local limit=$1
  shift
  local tries=$((limit * 20))
  for _ in $(seq "$tries"); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.05
  done
  return 1
}

# A private server on a free display number well above those that other
# scripts pick by default, so that nothing else ever talks to it.
start_display() {
  local n
  for _ in $(seq 20); do
    n=$((200 + RANDOM % 700))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # Without -noreset the server resets whenever its last client leaves,
    # refusing connections meanwhile: the program could start just then.
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    if wait_for 10 xdpyinfo && kill -0 "$xvfb_pid" 2>/dev/null; then return 0; fi
    kill "$xvfb_pid" 2>/dev/null || true
  done
  fail "no X server could be started"
}

start_window_manager() {
  # openbox occasionally gives up when several servers start at once; retry.
  for _ in 1 2 3; do
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    # openbox announces itself on the root window once it manages windows.
    if wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'; then return 0; fi
    kill "$wm_pid" 2>/dev/null || true
    cat "$work/openbox.log" >&2
  done
  fail "openbox did not start"
}

# Starts the program in the work folder; output (both streams) goes to $work/out.
start_program() {
  (cd "$work" && exec "$program" "$@" >"$work/out" 2>"$work/err" </dev/null) &
  app_pid=$!
}

program_window() { xdotool search --onlyvisible --name '^Glimmer$' | head -n 1; }

wait_for_window() {
  wait_for 20 sh -c "xdotool search --onlyvisible --name '^Glimmer$' | grep -q ." || fail "no window titled Glimmer appeared"
  window=$(program_window)
}

# Under a window manager: waits until the window is managed and has the focus,
# so that requests about it reach a window the manager knows.
wait_for_managed_window() {
  wait_for_window
  wait_for 20 sh -c "xdotool getwindowfocus | grep -qx $window" || fail "the window never got the focus"
}

# Waits for the program to end; sets $status.
wait_for_exit() {
  local limit=$1
  wait_for "$limit" sh -c "! kill -0 $app_pid" || fail "the program did not end within ${limit}s"
  set +e
  wait "$app_pid"
  status=$?
  set -e
  app_pid=""
}

output_has() { grep -qx "$1" "$work/out"; }
count_lines() { grep -cx "$1" "$work/out" || true; }

# OpenAL writes to a wave file instead of looking for a sound card.
printf '[general]\ndrivers = wave\nsample-type = int16\n[wave]\nfile = %s/out.wav\n' "$work" >"$work/alsoft.conf"
export ALSOFT_CONF="$work/alsoft.conf"

case "$case_name" in
window)
  start_display
  start_program
  wait_for_window
  geometry=$(xwininfo -id "$window")
  width=$(awk '/Width:/ {print $2}' <<<"$geometry")
  height=$(awk '/Height:/ {print $2}' <<<"$geometry")
  x=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$geometry")
  y=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$geometry")
  [ "$width" = 640 ] && [ "$height" = 480 ] || fail "window is ${width}x${height}, expected 640x480"
  [ "$x" = 320 ] && [ "$y" = 272 ] || fail "window at ($x,$y), expected centred at (320,272)"
  ;;
close)
  start_display
  start_window_manager
  start_program
  wait_for_managed_window
  wmctrl -c Glimmer
  wait_for_exit 20
  [ "$status" = 0 ] || fail "status $status after a close request, expected 0"
  [ ! -s "$work/out" ] || fail "printed something on closing"
  ;;
focus)
  start_display
  start_window_manager
  start_program --trace
  wait_for_managed_window
  # Another client's window takes the focus (openbox gives focus that is
  # set to the root window straight back, so that is not a way to lose it).
  xlogo >/dev/null 2>&1 &
  other_pid=$!
  wait_for 10 output_has suspend || fail "losing the focus did not suspend"
  output_has resume && fail "resumed without getting the focus back"
  xdotool windowactivate "$window"
  wait_for 10 output_has resume || fail "getting the focus back did not resume"
  ;;
iconify)
  start_display
  start_window_manager
  start_program --trace
  wait_for_managed_window
  xdotool windowminimize "$window"
  wait_for 10 output_has suspend || fail "iconifying did not suspend"
  wait_for 10 sh -c "xprop -id $window WM_STATE | grep -q Iconic" || fail "the window was not iconified"
  # Once iconified nothing is drawn, however long the game stays down there.
  before=$(count_lines "render while suspended")
  sleep 1
  after=$(count_lines "render while suspended")
  [ "$before" = "$after" ] || fail "rendered $((after - before)) times while iconified"
  xdotool windowactivate "$window"
  wait_for 10 output_has resume || fail "restoring the window did not resume"
  ;;
fullscreen)
  start_display
  start_window_manager
  start_program
  wait_for_managed_window
  xdotool key F11
  wait_for 10 sh -c "xdotool search --onlyvisible --name '^Glimmer$' | while read w; do xwininfo -id \$w; done | grep -q 'Width: 1280'" ||
    fail "F11 did not make the window fill the 1280x1024 screen"
  window=$(program_window)
  xdotool windowactivate --sync "$window" 2>/dev/null
  xdotool key F11
  wait_for 10 sh -c "xdotool search --onlyvisible --name '^Glimmer$' | while read w; do xwininfo -id \$w; done | grep -q 'Width: 640'" ||
    fail "a second F11 did not bring back the 640x480 window"
  kill -0 "$app_pid" || fail "the program ended while switching"
  ;;
no-display)
  unset DISPLAY WAYLAND_DISPLAY
  start_program
  wait_for_exit 20
  [ "$status" = 255 ] || fail "status $status without a display, expected 255"
  [ "$(cat "$work/out")" = "glfwInit failed" ] || fail "expected exactly the line 'glfwInit failed'"
  ;;
runtime-error)
  start_display
  start_program --error
  wait_for_exit 20
  [ "$status" = 255 ] || fail "status $status after a runtime error with no debugger, expected 255"
  head -n 1 "$work/out" | grep -qx "Zephyr Runtime Error : Test failure" || fail "no runtime error report"
  ;;
debugger-quit)
  start_display
  (cd "$work" && echo q | exec "$program" --error >"$work/out" 2>"$work/err") &
  app_pid=$!
  wait_for_exit 20
  [ "$status" = 0 ] || fail "status $status after the debugger's q, expected 0"
  head -n 1 "$work/out" | grep -qx "Zephyr Runtime Error : Test failure" || fail "no runtime error report"
  ;;
*)
  fail "unknown case"
  ;;
esac
echo "ok ($case_name)"
