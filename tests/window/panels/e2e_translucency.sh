#!/usr/bin/env bash
# End to end: the window made translucent under a real compositor, weston on
# Wayland or xcompmgr on X11; the panel's window tests run there, with the
# screenshot's check that needs one.
# Usage: e2e_translucency.sh wayland|x11 WINDOW_TESTS_BINARY   (exit 77: skipped)
source "$(dirname "$0")/../../support/e2e_common.sh"

# The screenshot command the test is given: --shot-MODE PNG.
case "${1:-}" in
--shot-x11)
  exec import -window root "$2"
  ;;
--shot-wayland)
  # weston-screenshooter names its file by the time, in the current folder.
  cd "$(mktemp -d)"
  weston-screenshooter >/dev/null 2>&1
  mv wayland-screenshot-*.png "$2"
  rm -rf "$PWD"
  exit 0
  ;;
esac

mode=$1
tests=$2
# The panel's tests, and the screenshot's among them.
filter=--gtest_filter=TransparencyTest.*
case "$mode" in
wayland) tools=(weston weston-screenshooter) ;;
x11) tools=(xvfb-run xcompmgr import) ;;
*) echo "usage: $0 wayland|x11 WINDOW_TESTS_BINARY" >&2; exit 2 ;;
esac
e2e_need "${tools[@]}"
[ "$mode" = x11 ] && e2e_in_xvfb 1024x768 +extension Composite -- "$@"

# Under the sanitizers, what the Wayland client library and D-Bus keep until
# exit (their stacks do not unwind through them, so no suppression can name
# them) is not counted as leaked; every other check stays on, and the same
# tests run with leak checks on the offscreen platform.
e2e_no_leak_checks
e2e_workdir
export XDG_RUNTIME_DIR=$work
server=""
e2e_at_exit '[ -n "$server" ] && kill "$server" 2>/dev/null'

# The test's output, with a missing Qt platform plugin taken for a skip.
run_tests() {
  local status=0
  "$@" "$filter" >"$work/out" 2>&1 || status=$?
  cat "$work/out"
  if grep -q 'Could not find the Qt platform plugin' "$work/out"; then
    e2e_skip "Qt's $mode platform plugin is not installed"
  fi
  grep -q 'OK \] TransparencyTest.UnderACompositor' "$work/out" || status=1
  return "$status"
}

if [ "$mode" = x11 ]; then
  xcompmgr >"$work/xcompmgr.log" 2>&1 &
  server=$!
  VELLOGRAPH_SCREENSHOT="bash '$e2e_self' --shot-x11" QT_QPA_PLATFORM=xcb run_tests "$tests"
  exit
fi

# weston with a plain background and no panel, so that the window covers the
# whole output and what shows through it is one known colour.
cat >"$work/weston.ini" <<INI
[core]
idle-time=0
[shell]
background-image=/nonexistent
background-color=0xff204080
panel-position=none
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none
INI
socket=vellograph-$$
weston --backend=headless-backend.so --use-pixman --debug --config="$work/weston.ini" \
  --socket="$socket" --width=1024 --height=768 >"$work/weston.log" 2>&1 &
server=$!
for _ in $(seq 1 100); do
  [ -S "$work/$socket" ] && break
  sleep 0.05
done
if [ ! -S "$work/$socket" ]; then
  cat "$work/weston.log"
  exit 1
fi
WAYLAND_DISPLAY=$socket VELLOGRAPH_SCREENSHOT="bash '$e2e_self' --shot-wayland" \
  QT_QPA_PLATFORM=wayland run_tests env -u DISPLAY "$tests"
