#!/usr/bin/env bash
# Runs the html player's browser test; skipped (77) where chromium, node or
# ImageMagick's compare is missing.
set -euo pipefail
for tool in chromium node compare; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
# Debian's node finds its modules there; the test itself needs none.
export NODE_PATH=/usr/share/nodejs
exec node "$(dirname "$0")/html_player_test.js" "$@"
