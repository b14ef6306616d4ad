#!/usr/bin/env bash
# Configures and builds Vellograph into build/ (build-asan/ with VELLOGRAPH_SANITIZE=1).
# Usage: scripts/build.sh [TARGET...]   (default: everything)
# The build's progress goes to standard error; the last line of standard
# output is the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VELLOGRAPH_BUILD_DIR:-build}
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${VELLOGRAPH_SANITIZE:-0}" = 1 ]; then
  build=${VELLOGRAPH_BUILD_DIR:-build-asan}
  args+=(-DVELLOGRAPH_SANITIZE=ON)
fi
# Once configured, ninja runs CMake again by itself when a CMake file changes.
if [ ! -f "$build/build.ninja" ]; then
  echo "Configuring $build/ ..." >&2
  cmake -S . -B "$build" "${args[@]}" >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
# Ninja shows one line of progress on a terminal and a line per step elsewhere.
cmake --build "$build" -j"$(nproc)" "${targets[@]}" >&2
echo "$build"
