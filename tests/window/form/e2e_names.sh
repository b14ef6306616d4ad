#!/usr/bin/env bash
# End to end: the real program, on a virtual X server, opens drawings whose
# names look like options or are no UTF-8, given as its first argument; each
# fills the screen green, which a screenshot must show.
# Usage: e2e_names.sh VELLOGRAPH_BINARY   (exit 77: skipped)
source "$(dirname "$0")/../../support/e2e_common.sh"
e2e_need xvfb-run xdotool import convert
e2e_in_xvfb 640x480 -- "$@"
app=$(realpath "$1")
e2e_workdir
pid=""
e2e_at_exit '[ -n "$pid" ] && kill "$pid" 2>/dev/null'
cd "$work"

# The header, then a fill record of colour 0x00FF00 (green).
drawing=$'W1251 -=CreaTed by Vellograph 3.0=-\ne<0o0\n'
names=(-style --help -reverse -platform $'bad \xff\xfe bytes.vlgf' 'a "quoted" name.vlgf')

failed=0
for name in "${names[@]}"; do
  printf '%s' "$drawing" >"./$name"
  env -u QT_QPA_PLATFORM "$app" "$name" &
  pid=$!
  # "Загружено)" comes in a box before the window shows: answer OK until it
  # has gone. "Файл не найден" would be answered the same way, and then the
  # screen stays white.
  box=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vellograph$' | head -n 1)
  for _ in $(seq 1 40); do
    xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
    sleep 0.25
    xdotool search --onlyvisible --name '^Vellograph$' | grep -qx "$box" || break
  done
  shown=""
  for _ in $(seq 1 20); do
    sleep 0.25
    import -window root "$work/shot.png"
    shown=$(convert "$work/shot.png" -depth 8 -format '%[hex:p{5,5}] %[hex:p{630,470}]' info:)
    [ "$shown" = "00FF00 00FF00" ] && break
  done
  printf 'first argument %q: %s\n' "$name" "$shown"
  [ "$shown" = "00FF00 00FF00" ] || failed=1
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
done
exit "$failed"
