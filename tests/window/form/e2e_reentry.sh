#!/usr/bin/env bash
# End to end: the real program on a virtual X server, with clicks queued
# while the process is stopped, so that they arrive inside the first pumps
# of a load or a big save, as they do on a busy machine.
# - A load that "Новый файл" replaced during a replay's delay stays ended:
#   no "Загружено)", and the drawing is the stroke drawn after it.
# - "Загрузка сохранки" chosen while "Промежуточное сохранение" writes the
#   file reads what that save wrote.
# - Of two saves of one file under two names, the one chosen later wins.
# - Esc inside a replay inside a replay's delay ends the program at once.
# Usage: e2e_reentry.sh VELLOGRAPH VELLOGRAPH_CLI   (exit 77: skipped)
source "$(dirname "$0")/../../support/e2e_common.sh"
e2e_need xvfb-run xdotool
e2e_in_xvfb 1280x1024 -- "$@"
app=$(realpath "$1")
cli=$(realpath "$2")
e2e_workdir
cd "$work"

header='W1251 -=CreaTed by Vellograph 3.0=-\n'
# A header, the given records, then N records "l1234" (x 66, y 196).
drawing() { # $1: file, $2: N, $3: printf text of the records before
  { printf "$header$3"; head -c $((6 * $2)) < <(yes l1234); } >"$1"
}
delay5s='d~800\n' # 5,000 ms

pid=""
e2e_at_exit '[ -z "$pid" ] || kill "$pid" 2>/dev/null'
start() {
  env -u QT_QPA_PLATFORM "$app" "$@" &
  pid=$!
  main=""
  # A drawing given opens before the window shows, with its box.
  [ "$#" = 0 ] || e2e_close_box "$(e2e_wait_for Vellograph)"
  # The window that covers the screen; the boxes have the same title.
  for _ in $(seq 1 120); do
    for id in $(xdotool search --onlyvisible --name '^Vellograph$' 2>/dev/null); do
      xdotool getwindowgeometry "$id" | grep -q 'Geometry: 1280x1024' && main=$id
    done
    [ -n "$main" ] && break
    sleep 0.25
  done
  [ -n "$main" ] || e2e_fail "the window did not open"
  sleep 0.5
}
# Holds the program while the actions queue up, then lets it read them.
queued() {
  kill -STOP "$pid"
  "$@"
  kill -CONT "$pid"
}
stroke() { # $1 $2 to $3 $4, in steps
  xdotool mousemove "$1" "$2" mousedown 1
  for i in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $(($1 + ($3 - $1) * i / 8)) $(($2 + ($4 - $2) * i / 8))
  done
  xdotool mouseup 1
}
# Closes "Vellograph" boxes, at least $1 (a save's comes once it is
# written), until none has come for a second.
close_boxes() {
  local quiet=0 box closed=0
  while [ "$quiet" -lt 4 ] || [ "$closed" -lt "${1:-0}" ]; do
    box=$(e2e_windows_named Vellograph | tail -n 1) # the newest, above the others
    if [ -n "$box" ]; then
      e2e_close_box "$box"
      closed=$((closed + 1))
      quiet=0
    else
      quiet=$((quiet + 1))
      sleep 0.25
    fi
  done
}
quit() {
  xdotool key Escape
  timeout 20 tail --pid="$pid" -f /dev/null || e2e_fail "Esc did not end the program"
  pid=""
}
# The strokes' records in force in a file: those that are not the filler's.
strokes_in() { "$cli" dump "$1" | grep -v ' l 66 196$' | grep -c -E '^[0-9]+ [ml] ' || true; }
ends_in() { "$cli" dump "$1" | grep -qE "^[0-9]+ l $2 $3\$"; }

# Menu items, counted over the enabled ones with the drawing items on:
# 5 "Новый файл", 7 "Сохранить", 10 "Промежуточное сохранение",
# 11 "Загрузка сохранки", 13 "Перерисовать", 16 "СТОП"; before a drawing,
# "Новый файл" is the first.

# A superseded load stays ended.
drawing tempSaved.vlgf.tmp 3000000 "$delay5s"
start
e2e_menu 1
sleep 0.5
queued eval 'e2e_menu 11; e2e_menu 13'
sleep 1.5 # the replay of what was read waits in its delay
e2e_menu 5
stroke 200 800 400 900
sleep 6
[ -z "$(e2e_windows_named Vellograph)" ] || e2e_fail "a load that a new drawing replaced said it loaded"
e2e_menu 10
close_boxes 1
! "$cli" dump tempSaved.vlgf.tmp | grep -q ' l 66 196$' && ends_in tempSaved.vlgf.tmp 400 900 ||
  e2e_fail "after the new drawing the file holds $("$cli" info tempSaved.vlgf.tmp | tr '\n' ' ')"
quit
echo "a superseded load stayed ended"

# A load waits for the save that writes its file.
drawing tempSaved.vlgf.tmp 3000000 ''
start
e2e_menu 7 # "Загрузка сохранки" before a drawing
close_boxes 1
e2e_menu 16
stroke 600 600 650 650
queued eval 'e2e_menu 10; e2e_menu 11'
close_boxes 2 # the save's size, the load's
e2e_menu 16
e2e_menu 10
close_boxes 1
ends_in tempSaved.vlgf.tmp 650 650 || e2e_fail "the load read the file the save was replacing"
quit
echo "a load read what the save before it wrote"

# The later save wins, whatever name it gives the file.
drawing tempSaved.vlgf.tmp 3000000 ''
start "$work/tempSaved.vlgf.tmp"
e2e_menu 16
queued eval 'stroke 600 600 650 650; e2e_menu 7; stroke 800 100 850 150; e2e_menu 10'
close_boxes 2
ends_in tempSaved.vlgf.tmp 650 650 && ends_in tempSaved.vlgf.tmp 850 150 ||
  e2e_fail "the earlier save replaced the later one: $(strokes_in tempSaved.vlgf.tmp) strokes' records"
quit
echo "the later save of one file under two names won"

# Quitting ends every replay.
drawing delays.vlgf 10 "m1234\n$delay5s$delay5s$delay5s"
rm -f tempSaved.vlgf.tmp
start delays.vlgf
e2e_menu 13
sleep 1
started=$SECONDS
xdotool key Escape
timeout 20 tail --pid="$pid" -f /dev/null || e2e_fail "Esc did not end the program"
status=0
wait "$pid" || status=$?
pid=""
[ $((SECONDS - started)) -le 2 ] || e2e_fail "the program replayed on for $((SECONDS - started)) s after Esc"
[ "$status" = 0 ] || e2e_fail "the program ended with status $status on Esc"
[ ! -e tempSaved.vlgf.tmp ] || e2e_fail "the program wrote the temporary file after Esc"
echo "Esc ended the replays at once"
