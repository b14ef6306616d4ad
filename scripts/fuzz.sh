#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a bounded time.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${VELLOGRAPH_FUZZ_BUILD_DIR:-build-fuzz}
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLOGRAPH_FUZZ=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Inputs that crash are kept here (never in the source tree), to be replayed
# with: $build/fuzz/TARGET_fuzzer FILE
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"
for target in load_render int_conversion; do
  # The seed corpus stays as committed; new inputs go to a scratch copy.
  mkdir -p "$work/$target"
  cp -r "fuzz/corpus/$target/." "$work/$target/"
  echo "== fuzzing $target for ${seconds}s"
  if ! "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$artifacts/$target-" \
    "$work/$target" >"$work/$target.log" 2>&1; then
    cat "$work/$target.log" # the whole report: the stack is at its start
    echo "== $target failed; the input is in $artifacts" >&2
    exit 1
  fi
  tail -n 15 "$work/$target.log"
done
