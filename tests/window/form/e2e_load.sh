#!/usr/bin/env bash
# End to end: the real program on a virtual X server. A stroke dragged over
# the surface while "Загрузка сохранки" reads a big temporary file records
# nothing, and "Промежуточное сохранение" afterwards writes the file back
# byte for byte. Boxes and dialogs carry exactly the program's titles.
# Usage: e2e_load.sh VELLOGRAPH_BINARY   (exit 77: skipped)
source "$(dirname "$0")/../../support/e2e_common.sh"
e2e_need xvfb-run xdotool xprop
e2e_in_xvfb 1280x1024 -- "$@"
app=$(realpath "$1")
e2e_workdir
cd "$work"
# Records enough that the load takes seconds: a header, then "l" records of
# six bytes each.
{
  printf 'W1251 -=CreaTed by Vellograph 3.0=-\n'
  printf 'm1234\n'
  head -c $((6 * 8000000)) < <(yes l1234)
} >tempSaved.vlgf.tmp
cp tempSaved.vlgf.tmp original

env -u QT_QPA_PLATFORM "$app" &
pid=$!
e2e_at_exit 'kill "$pid" 2>/dev/null'
fail() { e2e_fail "$@"; }
windows_named() { e2e_windows_named "$@"; }
wait_for() { e2e_wait_for "$@"; }
close_box() { e2e_close_box "$@"; }
# Both names the window system shows, exactly the given title.
expect_title() { # $1: window, $2: title
  local props
  props=$(LC_ALL=C.UTF-8 xprop -notype -id "$1" WM_NAME _NET_WM_NAME)
  for prop in WM_NAME _NET_WM_NAME; do
    grep -qxF "$prop = \"$2\"" <<<"$props" ||
      fail "$prop of the window titled '$2' is not exactly that: $props"
  done
}
# The popup menu, keyboard only, counting the enabled items top down: 7 is
# "Загрузка сохранки" before a drawing is loaded; then the drawing items
# come on, and 8 is "Сохранить как...", 10 "Промежуточное сохранение",
# 16 "СТОП".
menu() { e2e_menu "$@"; }

main=""
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vellograph$' | head -n 1)
expect_title "$main" Vellograph
sleep 1

menu 7
# Drag while the file is read: each stroke must find the load still going.
strokes=0
for _ in $(seq 1 20); do
  [ -z "$(windows_named Vellograph)" ] || break
  xdotool mousemove 300 300 mousedown 1 mousemove 340 320 mousemove 380 360 mouseup 1
  strokes=$((strokes + 1))
done
[ -z "$(windows_named Vellograph)" ] || [ "$strokes" -gt 0 ] ||
  fail "the load ended before a stroke could be dragged"
box=$(wait_for Vellograph)
expect_title "$box" Vellograph
close_box "$box"
echo "$strokes strokes dragged during the load"
menu 16 # the playback of millions of records would slow down the rest

menu 10
box=$(wait_for Vellograph)
close_box "$box"
cmp -s original tempSaved.vlgf.tmp || fail "the temporary file changed: $(stat -c %s tempSaved.vlgf.tmp) bytes"

# "Выход" is the last item: Cancel keeps the program.
xdotool mousemove 400 300 sleep 0.1 click 3 sleep 0.3 key Up Return
box=$(wait_for Confirm)
expect_title "$box" Confirm
close_box "$box" Escape

menu 8
dialog=$(wait_for 'Сохранить векторный рисунок как...')
expect_title "$dialog" 'Сохранить векторный рисунок как...'
close_box "$dialog" Escape
kill -0 "$pid" || fail "the program ended"
echo "the file came back whole and every title was exact"
