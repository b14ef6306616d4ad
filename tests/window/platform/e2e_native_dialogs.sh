#!/usr/bin/env bash
# End to end: the file dialogs as GTK's platform theme shows them on Xvfb,
# answered by typing into them from this script, as a user would.
# Usage: e2e_native_dialogs.sh WINDOW_TESTS_BINARY   (exit 77: skipped)
#        e2e_native_dialogs.sh --answer TITLE KEYS   (the test's answerer)
source "$(dirname "$0")/../../support/e2e_common.sh"

if [ "${1:-}" = --answer ]; then
  # The dialog's window, then the keys typed into it. Waits are bounded, so
  # that a dialog that never shows leaves the test to fail, not to hang.
  title=$2
  read -r -a keys <<<"$3"
  window=""
  for _ in $(seq 1 100); do
    window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n 1) || true
    [ -n "$window" ] && break
    sleep 0.1
  done
  if [ -z "$window" ]; then
    echo "no window titled '$title' appeared" >&2
    exit 1
  fi
  # The dialog fills in its folder's listing after it shows.
  sleep 1
  if [ -n "${VELLOGRAPH_DIALOG_SHOTS:-}" ]; then
    import -window root "$VELLOGRAPH_DIALOG_SHOTS/$(date +%s%N).png" || true
  fi
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
  for key in "${keys[@]}"; do
    xdotool key --window "$window" --clearmodifiers "$key"
    sleep 0.1
  done
  # A dialog the keys did not close is closed here, so that the test reads
  # a cancel and fails instead of waiting for a person.
  for _ in $(seq 1 50); do
    xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1 || exit 0
    sleep 0.1
  done
  echo "the window titled '$title' stayed open; closing it" >&2
  xdotool key --window "$window" Escape
  exit 1
fi

tests=$1
e2e_need xvfb-run xdotool
plugins=$(qtpaths6 --plugin-dir 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
if [ ! -e "$plugins/platformthemes/libqgtk3.so" ]; then
  e2e_skip "Qt's GTK platform theme (qt6-gtk-platformtheme) is not installed"
fi
e2e_in_xvfb 1024x768 -- "$@"

e2e_workdir
# GTK starts no desktop services of its own here: no accessibility bus, no
# portal, no remote volumes, no settings daemon.
# Under the sanitizers, what GTK, fontconfig and D-Bus keep until exit (their
# stacks do not unwind through them, so no suppression can name them) is not
# counted as leaked; every other check stays on.
e2e_no_leak_checks
status=0
NO_AT_BRIDGE=1 GTK_USE_PORTAL=0 GIO_USE_VFS=local GSETTINGS_BACKEND=memory QT_QPA_PLATFORM=xcb \
  QT_QPA_PLATFORMTHEME=gtk3 VELLOGRAPH_NATIVE_DIALOGS="bash '$e2e_self' --answer" \
  "$tests" --gtest_filter='QtFileDialogs.TheDesktopsOwn*' >"$work/out" 2>&1 || status=$?
cat "$work/out"
# The desktop's test must have run, not been skipped.
grep -q '^\[       OK \] QtFileDialogs.TheDesktopsOwn' "$work/out" || status=1
exit "$status"
