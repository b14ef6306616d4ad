#!/usr/bin/env bash
# End to end under the real desktops, GNOME Shell or KWin, each headless, with
# the program as a Wayland client and as an X11 client through Xwayland: the
# start-up box is centred and wide enough for its title, the window covers the
# screen and is white, the menu opens at the press point, a stroke is recorded
# at the device pixels sent, the desktop shows through at level 128 and not at
# 255, and Esc quits with status 0.
# Usage: e2e_desktops.sh gnome|kde VELLOGRAPH VELLOGRAPH_CLI   (exit 77: skipped)
set -euo pipefail

skip() {
  echo "skipped: $1"
  exit 77
}
desktop=$1
case "$desktop" in
gnome) tools=(gnome-shell gjs) ;;
kde) tools=(kwin_wayland spectacle /usr/bin/python3 display) ;;
*) echo "usage: $0 gnome|kde VELLOGRAPH VELLOGRAPH_CLI" >&2; exit 2 ;;
esac
for tool in "${tools[@]}" dbus-daemon unshare convert Xwayland; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
# Both compositors take the first free X display for Xwayland: in a mount
# namespace of their own, with a private /tmp that marks the host's displays
# as taken, they stay off them.
if [ "${4:-}" != --inside ]; then
  [ "$(id -u)" = 0 ] || skip "a private mount namespace needs root"
  unshare -m true 2>/dev/null || skip "no mount namespace can be made here"
  exec unshare -m bash "$0" "$@" --inside
fi
# Under the sanitizers, what the Wayland client library and D-Bus keep
# until exit is not counted as leaked, as in the translucency script.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
app=$(realpath "$2")
cli=$(realpath "$3")
here=$(dirname "$(realpath "$0")")
mount --make-rprivate /
taken=$(grep -o '@/tmp/.X11-unix/X[0-9]*' /proc/net/unix | sed 's/.*X//' | sort -u || true)
# The sources, the build or the working folder may lie in the host's /tmp
# (a clone made there): what of it they need is bound back in.
host_tmp=$(mktemp -d /run/vellograph-e2e.XXXXXX)
mount --bind /tmp "$host_tmp"
mount -t tmpfs tmpfs /tmp
for keep in "$app" "$cli" "$here" "$PWD"; do
  case "$keep" in
  /tmp/?*)
    top=${keep#/tmp/}
    top=${top%%/*}
    if [ ! -e "/tmp/$top" ]; then
      mkdir -p "/tmp/$top"
      mount --bind "$host_tmp/$top" "/tmp/$top"
    fi
    ;;
  esac
done
mkdir -m 1777 /tmp/.X11-unix
for n in $taken; do echo 0 >"/tmp/.X$n-lock"; done
work=$(mktemp -d)
mkdir -m 700 "$work/run" "$work/home"
export XDG_RUNTIME_DIR=$work/run HOME=$work/home GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY QT_QPA_PLATFORM
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
# A bus of its own: its address in $bus.
bus() {
  dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/$1" 4>"$work/$1.pid"
  pids+=("$(cat "$work/$1.pid")")
  bus=$(head -n 1 "$work/$1")
}
bus session
export DBUS_SESSION_BUS_ADDRESS=$bus
platform=""
# Failures keep their screenshot where the private /tmp does not hide it.
shots=${VELLOGRAPH_E2E_SHOTS:-/var/tmp}
pid=""
fail() {
  echo "$desktop $platform: $1"
  if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" && echo "the program had ended" || echo "the program had ended with status $?"
  fi
  cp "$work/shot.png" "$shots/vellograph-$desktop-$platform-failed.png" 2>/dev/null &&
    echo "screenshot: $shots/vellograph-$desktop-$platform-failed.png"
  exit 1
}

# The drivers: each takes commands on its input, one a line ("move X Y",
# "press B", "release B", "key NAME", "shot FILE"), and answers each.
if [ "$desktop" = gnome ]; then
  # No login manager: with /run/systemd hidden and a throwaway system bus,
  # gnome-shell takes its fallback.
  [ -d /run/systemd ] && mount -t tmpfs tmpfs /run/systemd
  bus system
  export DBUS_SYSTEM_BUS_ADDRESS=$bus XDG_CURRENT_DESKTOP=GNOME
  gnome-shell --headless --wayland --virtual-monitor 1366x768 --wayland-display=wayland-e2e \
    >"$work/compositor.log" 2>&1 &
  pids+=($!)
  driver=(gjs "$here/e2e_desktops_gnome.js")
  socket=wayland-e2e
else
  # A copy of kwin_wayland starts without the file capability that a
  # container refuses; fake input is open to every client.
  cp /usr/bin/kwin_wayland "$work/kwin_wayland"
  export KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 XDG_CURRENT_DESKTOP=KDE
  "$work/kwin_wayland" --virtual --width 1366 --height 768 --xwayland --socket wayland-e2e \
    >"$work/compositor.log" 2>&1 &
  pids+=($!)
  driver=(/usr/bin/python3 "$here/e2e_desktops_kwin.py") # not a shim from PATH
  socket=wayland-e2e
fi
for _ in $(seq 1 200); do
  [ -S "$XDG_RUNTIME_DIR/$socket" ] && ls /tmp/.X11-unix/X* >/dev/null 2>&1 && break
  kill -0 "${pids[0]}" 2>/dev/null || break
  sleep 0.1
done
if [ ! -S "$XDG_RUNTIME_DIR/$socket" ] || ! ls /tmp/.X11-unix/X* >/dev/null 2>&1; then
  tail -n 20 "$work/compositor.log"
  skip "$desktop's compositor did not start here"
fi
export WAYLAND_DISPLAY=$socket
display=$(ls /tmp/.X11-unix | head -n 1)
display=:${display#X}
xauth=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -name '*Xwaylandauth*' -o -maxdepth 1 -name 'xauth_*' | head -n 1)
coproc DRIVER { "${driver[@]}"; }
pids+=("$DRIVER_PID")
do_() {
  local command
  for command in "$@"; do
    echo "$command" >&"${DRIVER[1]}"
    read -r -t 90 _ <&"${DRIVER[0]}" || fail "the $desktop driver did not answer \"$command\""
  done
}
# The colours at points of a new screenshot: "X,Y ..." gives "RRGGBB ...".
pixels() {
  do_ "shot $work/shot.png"
  local format="" p
  for p in "$@"; do format="$format%[hex:p{$p}] "; done
  convert "$work/shot.png" -alpha off -depth 8 -format "${format% }" info:
}
# Waits until the screenshot's pixels at the points match the pattern.
await() {
  local want=$1 got=""
  shift
  for _ in $(seq 1 30); do
    got=$(pixels "$@")
    [[ "$got" == $want ]] && return 0
    sleep 0.2
  done
  fail "$what: at $* the screen shows $got, expected $want"
}
do_ "key Shift" # the first key of a session only brings the keyboard focus
# Waits for a box: its extent, against the colour around it (the desktop's,
# or the window's where that is shown), below GNOME's top bar and first
# notification where the window does not cover them, in width, height, left
# and top.
await_box() {
  local box
  from=120 wide=1366
  for _ in $(seq 1 40); do
    do_ "shot $work/shot.png"
    around=$(convert "$work/shot.png" -alpha off -depth 8 -format '%[hex:p{1300,700}]' info:)
    box=$(convert "$work/shot.png" -alpha off -crop ${wide}x$((768 - from))+0+$from +repage \
      -bordercolor "#$around" -border 1 -fuzz 3% -trim -format '%w %h %X %Y' info: 2>/dev/null ||
      true)
    read -r width height left top <<<"${box//+/ }"
    left=$((left - 1)) top=$((top - 1))
    [ "${width:-1366}" -lt $((wide - 20)) ] && [ "${width:-0}" -gt 100 ] && return 0
    sleep 0.1
  done
  fail "no box is shown"
}
# Opens the menu with a right press there; its frame's left and top edges
# are at the press point, white or at most a light shadow just outside.
menu_at() {
  do_ "move $1 $2" "press 3" "release 3"
  await "[EF]????? [0-9A-D]* [EF]????? [0-9A-D]*" $(($1 - 2)),$(($2 + 20)) $1,$(($2 + 20)) \
    $(($1 + 20)),$(($2 - 2)) $(($1 + 20)),$2
  sleep 0.3 # shown, it takes the keyboard a little later: a key before that is lost
}
if [ "$desktop" = gnome ]; then
  # It starts in the overview, dark around the workspace; Escape leaves it.
  for _ in $(seq 1 50); do
    [ "$(pixels 100,700)" = 232323 ] && break
    sleep 0.1
  done
  for _ in $(seq 1 20); do
    do_ "key Escape"
    sleep 0.5
    [ "$(pixels 100,700)" != 232323 ] && break
  done
fi
if [ "$desktop" = kde ]; then
  # KWin alone shows black where no window is, as a compositor does behind a
  # full-screen window that is not opaque: a window of one colour stands for
  # the desktop, to tell the two apart through the translucent window.
  DISPLAY=$display XAUTHORITY=$xauth display -backdrop -background '#3C6EB4' -borderwidth 0 -size 1x1 xc:'#3C6EB4' &
  pids+=($!)
  for _ in $(seq 1 50); do
    colours=$(pixels 900,600 300,150)
    [ "${colours% *}" = "${colours#* }" ] && [ "${colours% *}" != 000000 ] && break
    sleep 0.1
  done
fi
desktopColour=$(pixels 900,600)

printf 'W1251 -=CreaTed by Vellograph 3.0=-\n' >"$work/empty.vlgf"
for platform in wayland x11; do
  rm -f "$work"/tempSaved.vlgf.tmp
  what="the desktop before the program" # once the last one's window is gone
  await "$desktopColour $desktopColour" 900,600 300,150
  if [ "$platform" = wayland ]; then
    (cd "$work" && exec env -u DISPLAY QT_QPA_PLATFORM=wayland "$app" empty.vlgf) &
  else
    (cd "$work" && exec env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb DISPLAY="$display" \
      XAUTHORITY="$xauth" "$app" empty.vlgf) &
  fi
  pid=$!
  pids+=("$pid")
  # "Загружено)": wide enough for its title bar, and centred.
  what="the start-up box"
  await_box
  [ "${width:-0}" -ge 280 ] || fail "the start-up box is ${width:-no} pixels wide"
  centre=$((left + width / 2))
  if [ $((centre - 683)) -gt 16 ] || [ $((683 - centre)) -gt 16 ]; then
    fail "the start-up box is centred at x $centre, not over the screen's middle 683"
  fi
  cp "$work/shot.png" "$work/$desktop-$platform-box.png"
  do_ "key Return"
  what="the window"
  await "FFFFFF FFFFFF FFFFFF FFFFFF FFFFFF" 0,0 1365,0 0,767 1365,767 683,10

  what="the menu at the press point"
  # Near the top, where the whole menu fits below the press.
  menu_at 700 60
  cp "$work/shot.png" "$work/$desktop-$platform-menu.png"
  do_ "key Escape"
  await "FFFFFF FFFFFF" 700,80 720,60

  what="the stroke"
  sent="m 200 200 l 203 206 l 206 213 l 209 219"
  do_ "move 200 200" "press 1" "move 203 206" "move 206 213" "move 209 219" "release 1"
  menu_at 400 60
  do_ "key Down" "key Down" "key Down" "key Down" "key Down" "key Down" "key Down" "key Down" \
    "key Down" "key Down" "key Return"
  for _ in $(seq 1 40); do [ -s "$work/tempSaved.vlgf.tmp" ] && break; sleep 0.1; done
  recorded=$("$cli" dump "$work/tempSaved.vlgf.tmp" | grep -E '^[0-9]+ [ml] ' | cut -d' ' -f2- |
    paste -sd' ')
  [ "$recorded" = "$sent" ] || fail "strokes recorded: $recorded, sent: $sent"
  await_box # "Размер сохраненного: ..."
  do_ "key Return"
  await "FFFFFF" 683,384

  # "Настройки" > "Прозрачность окна", at (100, 100): its box on, then the
  # level from the keyboard.
  what="the translucent window"
  menu_at 100 100
  for _ in $(seq 1 17); do do_ "key Down"; done
  do_ "key Right" "key Down" "key Down" "key Return"
  await "[^F]*" 370,160 # the panel, between its box and "Ok"
  do_ "move 124 148" "press 1" "release 1"
  sleep 0.3
  await "FFFFFF" 900,600
  do_ "move 300 116" "press 2" "release 2"
  sleep 0.3
  do_ "key Home" "key Prior" "key Prior" "key Prior" \
    "key Prior" "key Prior" "key Prior" "key Prior" "key Prior" "key Prior" "key Prior" \
    "key Prior" "key Prior" "key Right"
  # White at 128 over the desktop.
  blends() {
    local c want got
    for c in 0 2 4; do
      want=$(((0xFF * 128 + 0x${2:$c:2} * 127 + 127) / 255))
      got=$((0x${1:$c:2}))
      [ $((got - want)) -le 4 ] && [ $((want - got)) -le 4 ] || return 1
    done
  }
  for _ in $(seq 1 20); do
    half=$(pixels 900,600)
    blends "$half" "$desktopColour" && break
    sleep 0.2
  done
  blends "$half" "$desktopColour" ||
    fail "at level 128 the screen shows $half over the desktop's $desktopColour"
  cp "$work/shot.png" "$work/$desktop-$platform-translucent.png"
  do_ "key End"
  await "FFFFFF FFFFFF FFFFFF" 0,0 1365,767 900,600 # opaque, and covering the screen again

  do_ "key Escape"
  status=0
  timeout 10 tail --pid="$pid" -f /dev/null || fail "Esc did not end the program"
  wait "$pid" || status=$?
  [ "$status" = 0 ] || fail "the program ended with status $status on Esc"
  echo "$desktop $platform: the box, the window, the menu, the stroke, translucency and Esc"
done
[ -z "${VELLOGRAPH_E2E_SHOTS:-}" ] || cp "$work"/*-*-*.png "$VELLOGRAPH_E2E_SHOTS"/
exit 0
