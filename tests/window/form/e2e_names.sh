#!/usr/bin/env bash
# End to end: the real program, on a virtual X server, opens drawings whose
# names look like options or are no UTF-8, given as its first argument; each
# fills the screen green, which a screenshot must show.
# Usage: e2e_names.sh VELLOGRAPH_BINARY   (exit 77: skipped)
set -euo pipefail

for tool in xvfb-run xdotool import convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done
if [ "${1:-}" != --inside ]; then
  exec xvfb-run -a -s "-screen 0 640x480x24" "$0" --inside "$@"
fi
app=$(realpath "$2")
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
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
