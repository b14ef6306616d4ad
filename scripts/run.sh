#!/usr/bin/env bash
# Installs what is missing, builds the program, and starts Vellograph.
# Usage: scripts/run.sh [DRAWING.vlgf]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
# Only the program: the tests and benchmarks are built by scripts/test.sh.
build=$(cd "$here" && ./scripts/build.sh vellograph | tail -n 1)
exec "$here/$build/app/vellograph" "$@"
