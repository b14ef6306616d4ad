#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
# VELLOGRAPH_SANITIZE=1 builds and runs it under AddressSanitizer and
# UndefinedBehaviorSanitizer instead.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=$(./scripts/build.sh | tail -n 1)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
