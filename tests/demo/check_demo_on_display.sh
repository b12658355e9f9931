#!/usr/bin/env bash
# The demonstration program on an X display.
#   greeting: its window shows the greeting in black on white, centred and scaled by a whole
#             multiple, and a key ends it with status 0.
#   signal:   a termination signal shuts the library down, which closes the window, and then
#             ends the program by the signal.
#   lost:     when the display goes away (the X server drops the program's connection) the
#             program says so, and ends like on a termination signal: the library is shut down
#             first, and the status says the program did not finish.
#
# Usage: check_demo_on_display.sh greeting|signal|lost DEMO SCREEN_CHECK WORK_DIR
# Exits 77 (skipped) when no X server can be reached or a tool is missing.
set -u
what=$1
demo=$2
screen_check=$3
work_dir=$4
skipped=77

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  echo "no X display reachable: skipped"
  exit $skipped
fi
for tool in xdotool xwininfo xwd convert; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "$tool is not installed: skipped"
    exit $skipped
  fi
done

mkdir -p "$work_dir"
cd "$work_dir" || exit 1
rm -f corvane.cfg shot.xwd shot.ppm demo.log
unset SDL_VIDEODRIVER

"$demo" >demo.log 2>&1 &
pid=$!
finish() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
trap finish EXIT

fail() {
  echo "FAILED: $*"
  echo "--- demo output:"
  cat demo.log
  exit 1
}

window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
[ -n "$window" ] || fail "no window of the demo appeared"
geometry=$(xwininfo -id "$window") || fail "cannot read the window's geometry"
x=$(echo "$geometry" | sed -n 's/.*Absolute upper-left X: *\(-*[0-9]*\).*/\1/p')
y=$(echo "$geometry" | sed -n 's/.*Absolute upper-left Y: *\(-*[0-9]*\).*/\1/p')
width=$(echo "$geometry" | sed -n 's/^ *Width: *\([0-9]*\).*/\1/p')
height=$(echo "$geometry" | sed -n 's/^ *Height: *\([0-9]*\).*/\1/p')
echo "window $window: ${width}x${height}+${x}+${y}"

# Waits up to five seconds for the demo to end; fails when it does not.
wait_for_end() {
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "the demo did not end within 5 seconds $1"
  fi
  wait "$pid"
  status=$?
  trap - EXIT
}

case "$what" in
  signal)
    kill -TERM "$pid"
    wait_for_end "of a termination signal"
    [ "$status" -eq 143 ] || fail "the demo ended with status $status, not by the signal"
    grep -q "Shutting down Corvane due to signal #15" demo.log || fail "no shutdown message"
    if xwininfo -id "$window" >/dev/null 2>&1; then fail "the window is still there"; fi
    echo "the signal closed the window and ended the demo"
    exit 0
    ;;
  lost)
    xdotool windowkill "$window"
    wait_for_end "of losing its display"
    [ "$status" -eq 143 ] || fail "the demo ended with status $status, not by the signal"
    grep -q "the connection to the display was lost" demo.log ||
      fail "the demo said nothing about losing its display"
    grep -q "Shutting down Corvane due to signal #15" demo.log || fail "no shutdown message"
    echo "the demo reported the lost display and shut down"
    exit 0
    ;;
esac

# The greeting is drawn right after the window opens: give it a few frames.
result=""
for _ in $(seq 1 50); do
  if xwd -root -silent >shot.xwd 2>/dev/null && convert shot.xwd shot.ppm 2>/dev/null; then
    if result=$("$screen_check" shot.ppm "$x" "$y" "$width" "$height"); then
      break
    fi
  fi
  result="FAILED ${result}"
  sleep 0.1
done
echo "$result"
case "$result" in FAILED*) fail "the window does not show the greeting as it should" ;; esac

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
xdotool key --clearmodifiers space
wait_for_end "of a key"
[ "$status" -eq 0 ] || fail "the demo ended with status $status"
echo "the demo ended with status 0"
