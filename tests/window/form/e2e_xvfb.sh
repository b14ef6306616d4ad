#!/usr/bin/env bash
# End to end: the real program, on a virtual X server, opens the example house
# and plays it onto the screen; a screenshot must show its pixels in place.
# Then two strokes dragged at device pixels are saved with "Промежуточное
# сохранение": the file holds exactly those pixels, and the screen is the
# exact render of the file. A scale factor runs it all on a scaled screen.
# Usage: e2e_xvfb.sh VELLOGRAPH VELLOGRAPH_CLI examples/house.vlgf [QT_SCALE_FACTOR]
# (exit 77: skipped)
source "$(dirname "$0")/../../support/e2e_common.sh"
e2e_need xvfb-run xdotool import convert compare identify
e2e_in_xvfb 1280x1024 -- "$@"
app=$1
cli=$2
drawing=$(realpath "$3")
e2e_workdir
cd "$work" # where the temporary file is written
# The tests may run with Qt's offscreen platform chosen; this one needs X.
env -u QT_QPA_PLATFORM QT_SCALE_FACTOR="${4:-1}" "$app" "$drawing" &
pid=$!
e2e_at_exit 'kill "$pid" 2>/dev/null'

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
  [ -n "$failed" ] || break
done
fail() {
  echo "$1"
  cp "$work/shot.png" "${TMPDIR:-/tmp}/vellograph-e2e-failed.png" && echo "screenshot: ${TMPDIR:-/tmp}/vellograph-e2e-failed.png"
  exit 1
}
[ -z "$failed" ] || fail "the screen does not show the drawing:$failed"
echo "the drawing is on the screen after $attempt screenshots"

# Strokes at device pixels, most of them between logical pixels when scaled;
# then the menu by keyboard: with a drawing loaded the tenth item saves.
sent="m 200 200 l 203 206 l 206 213 l 209 219 m 301 301 l 333 345 l 357 311"
xdotool mousemove 200 200 mousedown 1 mousemove 203 206 mousemove 206 213 mousemove 209 219 \
  mouseup 1 mousemove 301 301 mousedown 1 mousemove 333 345 mousemove 357 311 mouseup 1 sleep 0.3
import -window root "$work/shot.png"
xdotool mousemove 400 300 sleep 0.1 click 3 sleep 0.3 key Down Down Down Down Down Down Down Down Down Down Return
for _ in $(seq 1 40); do [ -s tempSaved.vlgf.tmp ] && break; sleep 0.25; done
recorded=$("$cli" dump tempSaved.vlgf.tmp | grep -E '^[0-9]+ [ml] ' | tail -n 7 | cut -d' ' -f2- | paste -sd' ')
[ "$recorded" = "$sent" ] || fail "strokes recorded: $recorded, sent: $sent"
"$cli" render tempSaved.vlgf.tmp "$work/render.png" --size "$(identify -format %wx%h "$work/shot.png")"
differing=$(compare -metric AE "$work/shot.png" "$work/render.png" null: 2>&1 || true)
[ "$differing" = 0 ] || fail "the screen differs from the render of the file in $differing pixels"
echo "the strokes were recorded at the device pixels sent, and the screen is their exact render"
