// The flood fill's row routines in plain loops, and the choice of the set this
// processor runs.
#include "engine/raster/canvas_rows.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace vellograph::raster {

namespace {

bool HasColorScalar(const std::uint32_t* row, std::size_t n, std::uint32_t color) {
    for (std::size_t i = 0; i < n; ++i) {
        if ((row[i] & ColorBits) == color) {
            return true;
        }
    }
    return false;
}

void PaintScalar(std::uint32_t* row, std::size_t n, std::uint32_t value) {
    FillPixels(row, n, value);
}

// Pixel by pixel, so that what is painted when a border pixel turns up is the
// part of the row before it.
bool ClearScalar(std::uint32_t* row, std::size_t n, std::uint32_t border, std::uint32_t value) {
    for (std::size_t i = 0; i < n; ++i) {
        if ((row[i] & ColorBits) == border) {
            return false;
        }
        row[i] = value;
    }
    return true;
}

template <bool IsBorder>
std::size_t FindScalar(const std::uint32_t* row, std::size_t from, std::size_t to,
                       std::uint32_t border) {
    for (std::size_t i = from; i < to; ++i) {
        if (((row[i] & ColorBits) == border) == IsBorder) {
            return i;
        }
    }
    return to;
}

std::ptrdiff_t FindBorderBeforeScalar(const std::uint32_t* row, std::size_t x,
                                      std::uint32_t border) {
    while (x > 0) {
        if ((row[--x] & ColorBits) == border) {
            return static_cast<std::ptrdiff_t>(x);
        }
    }
    return -1;
}

constexpr RowRoutines ScalarRoutines{
    "Scalar",         HasColorScalar,    PaintScalar,           ClearScalar,
    FindScalar<true>, FindScalar<false>, FindBorderBeforeScalar};

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

const RowRoutines& Choose() {
    // VELLOGRAPH_NO_SIMD and VELLOGRAPH_NO_AVX2 let the tests check, on any
    // machine, the routines that other processors run.
    if (Set("VELLOGRAPH_NO_SIMD")) {
        return ScalarRoutines;
    }
#if VELLOGRAPH_ROWS_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && !Set("VELLOGRAPH_NO_AVX2")) {
        return Avx2Rows();
    }
    return Sse2Rows();
#else
    return ScalarRoutines;
#endif
}

} // namespace

const RowRoutines& ScalarRows() {
    return ScalarRoutines;
}

const RowRoutines& Rows() {
    static const RowRoutines& routines = Choose();
    return routines;
}

} // namespace vellograph::raster
