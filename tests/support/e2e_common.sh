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
#                            on a virtual X server with a WxHx24 screen; does
#                            nothing when it runs there already
#   e2e_workdir              $work: a new folder only this user can enter,
#                            removed at exit
#   e2e_at_exit 'COMMAND'    runs COMMAND at exit, the last one given first
#                            (so a program started after e2e_workdir is ended
#                            before its folder goes); its variables are read
#                            then, not when it is given
#   e2e_fail MESSAGE...      "FAILED: MESSAGE" on standard error, exit 1
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
  # The variable marks the second run; arguments stay as they were.
  if [ -z "${E2E_IN_XVFB:-}" ]; then
    E2E_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 ${screen}x24 ${options[*]}" bash "$e2e_self" "$@"
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
