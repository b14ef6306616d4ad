# The start every end-to-end script shares; bash only. Source it first thing:
#
#   source "$(dirname "$0")/../../support/e2e_common.sh"   (set -euo pipefail is on after it)
#
# and use what it offers:
#
#   e2e_need TOOL...         exit 77 ("skipped: TOOL is not installed") unless
#                            every TOOL is on PATH; ctest counts 77 as a skip
#   e2e_skip REASON          exit 77 with "skipped: REASON"
#   e2e_in_xvfb WxH [XVFB_OPTION...] -- "$@"
#                            runs the script again, with the same arguments,
#                            on a virtual X server with a WxHx24 screen that
#                            does not reset between clients; does nothing
#                            when it runs there already
#   e2e_workdir              $work: a new folder only this user can enter,
#                            removed at exit
#   e2e_at_exit 'COMMAND'    runs COMMAND at exit, the last one given first
#                            (so a program started after e2e_workdir is ended
#                            before its folder goes); its variables are read
#                            then, not when it is given
#   e2e_fail MESSAGE...      "FAILED: MESSAGE" on standard error, exit 1
#   e2e_windows_named TITLE  the visible windows titled exactly so, other than $main
#   e2e_wait_for TITLE       waits for such a window and prints its id
#   e2e_close_box ID [KEY]   presses KEY (Return) in the box until it closes
#   e2e_menu N               the popup menu at (400, 300), keyboard only: N
#                            enabled items down, then Return
#   e2e_no_leak_checks       under the sanitizers, leaks are not counted in
#                            this run (for libraries that keep memory until
#                            exit where no suppression can name them); every
#                            other check stays on
#
# $e2e_self is the script's own path, for running parts of it as commands.
set -euo pipefail

e2e_self=$(realpath "$0")

e2e_skip() {
  echo "skipped: $*"
  exit 77
}

e2e_need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || e2e_skip "$tool is not installed"
  done
}

e2e_fail() {
  echo "FAILED: $*" >&2
  exit 1
}

e2e_in_xvfb() {
  local screen=$1
  shift
  local options=()
  while [ "$#" -gt 0 ] && [ "$1" != -- ]; do
    options+=("$1")
    shift
  done
  [ "$#" -gt 0 ] && shift
  # The variable marks the second run; arguments stay as they were. Without
  # -noreset the server resets when its last client goes, and a program
  # started next, while it does, cannot open the display.
  if [ -z "${E2E_IN_XVFB:-}" ]; then
    E2E_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 ${screen}x24 -noreset ${options[*]}" \
      bash "$e2e_self" "$@"
  fi
}

e2e_exit_commands=()
e2e_at_exit() {
  e2e_exit_commands+=("$1")
}
e2e_run_exit_commands() {
  local i
  for ((i = ${#e2e_exit_commands[@]} - 1; i >= 0; i--)); do
    eval "${e2e_exit_commands[$i]}" || true
  done
}
trap e2e_run_exit_commands EXIT

e2e_workdir() {
  work=$(mktemp -d)
  chmod 700 "$work"
  e2e_at_exit 'cd /; rm -rf "$work"'
}

e2e_no_leak_checks() {
  export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
}

e2e_windows_named() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | grep -vx "${main:-}" || true
}

e2e_wait_for() {
  local id
  for _ in $(seq 1 120); do
    id=$(e2e_windows_named "$1" | head -n 1)
    if [ -n "$id" ]; then
      echo "$id"
      return
    fi
    sleep 0.25
  done
  e2e_fail "no window titled '$1'"
}

# A key can come before the box has the focus.
e2e_close_box() {
  for _ in $(seq 1 40); do
    xdotool windowfocus --sync "$1" key "${2:-Return}" 2>/dev/null || true
    sleep 0.2
    xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
  done
  [ -z "${E2E_SHOT:-}" ] || import -window root "$E2E_SHOT"
  e2e_fail "the box $1 did not close"
}

e2e_menu() {
  xdotool mousemove 400 300 sleep 0.1 click 3 sleep 0.3
  for _ in $(seq 1 "$1"); do xdotool key Down; done
  xdotool key Return
}
