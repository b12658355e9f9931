#!/usr/bin/env bash
# The mouse on an X display: the real pointer, moved and clicked with xdotool over the window of
# mouse_on_display (320 x 200 at twice the size), reaches the program as the screen pixel under
# it, with its buttons, wheel and movement; the program's position_mouse moves the real pointer;
# the window shows the sprite as its cursor and the system's own pointers.
#
# Usage: check_mouse_on_display.sh PROGRAM WORK_DIR
# Exits 77 (skipped) when no X server can be reached or a tool is missing.
set -u
program=$1
work_dir=$2
skipped=77

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "no X display reachable: skipped"
  exit $skipped
fi
for tool in xdotool xwininfo; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipped"
    exit $skipped
  fi
done

mkdir -p "$work_dir"
cd "$work_dir" || exit 1
rm -f corvane.cfg program.log
unset SDL_VIDEODRIVER

"$program" >program.log 2>&1 &
pid=$!
finish() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
trap finish EXIT

fail() {
  echo "FAILED: $*"
  echo "--- program output:"
  cat program.log
  exit 1
}

# Waits up to ten seconds for a line of the program that starts with the text.
wait_for_line() {
  for _ in $(seq 1 100); do
    grep -q "^$1" program.log && return 0
    kill -0 "$pid" 2>/dev/null || fail "the program ended before saying \"$1\""
    sleep 0.1
  done
  fail "the program did not say \"$1\""
}

wait_for_line ready
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window of the program appeared"
geometry=$(xwininfo -id "$window") || fail "cannot read the window's geometry"
left=$(echo "$geometry" | sed -n 's/.*Absolute upper-left X: *\(-*[0-9]*\).*/\1/p')
top=$(echo "$geometry" | sed -n 's/.*Absolute upper-left Y: *\(-*[0-9]*\).*/\1/p')
width=$(echo "$geometry" | sed -n 's/^ *Width: *\([0-9]*\).*/\1/p')
height=$(echo "$geometry" | sed -n 's/^ *Height: *\([0-9]*\).*/\1/p')
echo "window $window: ${width}x${height}+${left}+${top}"
[ "$width" -eq 640 ] && [ "$height" -eq 400 ] || fail "the window is not twice 320 x 200"

xdotool mousemove --window "$window" 101 61
wait_for_line "at 50 30"
wait_for_line counting
xdotool mousemove_relative -- 20 -10
wait_for_line "at 60 25"
wait_for_line "mickeys"
grep -q "^mickeys 20 -10$" program.log || fail "moving by (20, -10) did not count as (20, -10)"

xdotool mousedown 1
wait_for_line "left down"
xdotool mouseup 1
wait_for_line "left up"
xdotool click 3
wait_for_line "right clicked"
xdotool click 4
wait_for_line "wheel up"

wait_for_line warped
grep -q "^warped 100 80 mickeys 0 0$" program.log ||
  fail "position_mouse (100, 80) did not end there, or its warp counted as movement"
eval "$(xdotool getmouselocation --shell)"
# The middle of screen pixel (100, 80) at twice the size.
[ "$X" -eq $((left + 201)) ] && [ "$Y" -eq $((top + 161)) ] ||
  fail "the real pointer is at ($X, $Y), not at the window's (201, 161)"
xdotool click 2
wait_for_line "middle clicked"

wait_for_line cursors
grep -q "^cursors 1 1 1 1 0$" program.log ||
  fail "expected the sprite's cursor and the arrow, busy and I-beam pointers (no question)"
wait_for_line done
wait "$pid"
status=$?
trap - EXIT
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "pointer, buttons, wheel, movement, warp and cursors reached the program"
