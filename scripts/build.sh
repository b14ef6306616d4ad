#!/usr/bin/env bash
# Configures and builds Vellograph into build/ (build-asan/ with VELLOGRAPH_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VELLOGRAPH_BUILD_DIR:-build}
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${VELLOGRAPH_SANITIZE:-0}" = 1 ]; then
  build=${VELLOGRAPH_BUILD_DIR:-build-asan}
  args+=(-DVELLOGRAPH_SANITIZE=ON)
fi
cmake -S . -B "$build" "${args[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
echo "$build"
