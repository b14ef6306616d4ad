#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: once in a
# normal build, once under AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer, then each fuzzer for a bounded time, then the engine's tests
# on arm64 under qemu-user (scripts/cross-test.sh).
#   --quick   the normal build's suite only
# VELLOGRAPH_SANITIZE=1 with --quick runs the sanitizer build's suite instead.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

quick=0
[ "${1:-}" = "--quick" ] && quick=1

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}

run_suite() { # $1: 0 normal, 1 sanitizers
  local build
  build=$(VELLOGRAPH_SANITIZE=$1 ./scripts/build.sh | tail -n 1)
  echo "== test suite in $build"
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=$1} \
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 600
}

if [ "$quick" = 1 ]; then
  run_suite "${VELLOGRAPH_SANITIZE:-0}"
  exit 0
fi
run_suite 0
run_suite 1
./scripts/fuzz.sh "${VELLOGRAPH_FUZZ_SECONDS:-30}"
./scripts/cross-test.sh arm64
