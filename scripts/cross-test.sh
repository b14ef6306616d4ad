#!/usr/bin/env bash
# Cross-builds the engine and its tests for another processor and runs them there under qemu-user.
# Usage: scripts/cross-test.sh arm64|s390x
# arm64 stands for the processors most people have; s390x is big-endian, so
# it catches any reading or writing of integers as bytes in the host's order.
# Builds into build-cross/ARCH/, GoogleTest included (from Debian's source
# package, built once for the target); installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."

# s390x also stands in for the 32-bit targets, whose compilers have no
# 128-bit integer: its pass clips lines with the engine's own (wide_int.h).
flags=
case "${1:-}" in
  arm64) triplet=aarch64-linux-gnu processor=aarch64 qemu=qemu-aarch64 ;;
  s390x) triplet=s390x-linux-gnu processor=s390x qemu=qemu-s390x flags=-DVELLOGRAPH_WIDE_INT ;;
  *)
    echo "usage: $0 arm64|s390x" >&2
    exit 2
    ;;
esac
arch=$1
./scripts/install-deps.sh "g++-$triplet" qemu-user googletest

build=$PWD/build-cross/$arch
sysroot=/usr/$triplet
# Optimised as the native build is, without its debug information: quicker to build.
cross=(
  -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
  -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR="$processor"
  -DCMAKE_C_COMPILER="$triplet-gcc" -DCMAKE_CXX_COMPILER="$triplet-g++"
  # ctest, if run by hand, finds the tests and runs them through qemu.
  -DCMAKE_CROSSCOMPILING_EMULATOR="$qemu;-L;$sysroot"
  -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
)

gtest=$build/googletest
if [ ! -f "$gtest/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  echo "== GoogleTest for $arch" >&2
  cmake -S /usr/src/googletest -B "$gtest/build" "${cross[@]}" -DBUILD_GMOCK=OFF \
    -DCMAKE_INSTALL_PREFIX="$gtest/prefix" >/dev/null
  cmake --build "$gtest/build" -j"$(nproc)" >&2
  cmake --install "$gtest/build" >/dev/null
fi

echo "== engine for $arch" >&2
cmake -S . -B "$build/engine" "${cross[@]}" -DVELLOGRAPH_ENGINE_ONLY=ON -DCMAKE_CXX_FLAGS="$flags" \
  -DGTest_DIR="$gtest/prefix/lib/cmake/GTest" >/dev/null
cmake --build "$build/engine" -j"$(nproc)" >&2

echo "== engine tests on $arch under $qemu"
# All of them in one process, where ctest would start qemu once per test; the
# x86-64 runs that force other row routines have no counterpart here, where
# only the plain loops exist. qemu finds the target's libraries in the sysroot.
cd "$build/engine/tests/engine"
timeout 900 "$qemu" -L "$sysroot" ./engine_tests --gtest_brief=1
