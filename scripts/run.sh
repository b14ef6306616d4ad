#!/usr/bin/env bash
# Installs what is missing, builds, and starts Vellograph.
# Usage: scripts/run.sh [DRAWING.vlgf]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
build=$(cd "$here" && ./scripts/build.sh | tail -n 1)
exec "$here/$build/app/vellograph" "$@"
