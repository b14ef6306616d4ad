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
cross=(
  -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR="$processor"
  -DCMAKE_C_COMPILER="$triplet-gcc" -DCMAKE_CXX_COMPILER="$triplet-g++"
  # Test discovery at build time and ctest both run the tests through qemu.
  -DCMAKE_CROSSCOMPILING_EMULATOR="$qemu;-L;$sysroot"
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
# The host's qemu finds the target's C and C++ libraries under the sysroot.
QEMU_LD_PREFIX=$sysroot ctest --test-dir "$build/engine" --output-on-failure -j"$(nproc)" \
  --timeout 600
