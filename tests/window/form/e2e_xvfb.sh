#!/usr/bin/env bash
# End to end: the real program, on a virtual X server, opens the example house
# and plays it onto the screen; a screenshot must show its pixels in place.
# Usage: e2e_xvfb.sh VELLOGRAPH_BINARY examples/house.vlgf   (exit 77: skipped)
set -euo pipefail

for tool in xvfb-run xdotool import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done
if [ "${1:-}" != --inside ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside "$@"
fi
shift
app=$1
drawing=$2
work=$(mktemp -d)
# The tests may run with Qt's offscreen platform chosen; this one needs X.
env -u QT_QPA_PLATFORM "$app" "$drawing" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT

# Loading reports "Загружено)" in a box before the window shows: answer OK.
box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vellograph$' | head -n 1)
# A key can arrive before the box takes the focus; press until it is gone.
for _ in $(seq 1 40); do
  xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
  sleep 0.25
  xdotool search --onlyvisible --name '^Vellograph$' | grep -qx "$box" || break
done

# Drawing units are screen pixels under the start-up view. Each check:
# x y expected-RRGGBB what.
checks=(
  "5 5 80C0F0 the_sky_fill_around_the_house"
  "1270 1000 80C0F0 the_sky_fill_reaches_the_far_corner"
  "200 420 010000 the_left_wall_in_the_fill's_border_colour"
  "280 480 FFFFFF the_inside_of_the_house_left_white"
  "360 500 A06010 the_brown_door"
  "655 110 FFD000 the_sun_drawn_after_the_pauses"
)
format=""
for check in "${checks[@]}"; do
  read -r x y _ _ <<<"$check"
  format="$format%[hex:p{$x,$y}] "
done
for attempt in $(seq 1 40); do
  sleep 0.5
  import -window root "$work/shot.png"
  read -r -a got <<<"$(convert "$work/shot.png" -depth 8 -format "$format" info:)"
  failed=""
  for i in "${!checks[@]}"; do
    read -r x y want what <<<"${checks[$i]}"
    [ "${got[$i]:-none}" = "$want" ] || failed="$failed
  ($x, $y) $what: ${got[$i]:-none}, expected $want"
  done
  if [ -z "$failed" ]; then
    echo "the drawing is on the screen after $attempt screenshots"
    exit 0
  fi
done
echo "the screen does not show the drawing:$failed"
cp "$work/shot.png" "${TMPDIR:-/tmp}/vellograph-e2e-failed.png" && echo "screenshot: ${TMPDIR:-/tmp}/vellograph-e2e-failed.png"
exit 1
