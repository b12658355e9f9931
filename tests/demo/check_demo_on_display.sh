#!/usr/bin/env bash
# The demonstration program on an X display: its window shows the greeting in black on white,
# centred and scaled by a whole multiple, and a key ends it with status 0.
#
# Usage: check_demo_on_display.sh DEMO SCREEN_CHECK WORK_DIR
# Exits 77 (skipped) when no X server can be reached or a tool is missing.
set -u
demo=$1
screen_check=$2
work_dir=$3
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
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  fail "the demo did not end within 5 seconds of a key"
fi
wait "$pid"
status=$?
trap - EXIT
[ "$status" -eq 0 ] || fail "the demo ended with status $status"
echo "the demo ended with status 0"
