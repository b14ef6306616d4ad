// Internals shared by the canvas rasterisers: exact wide arithmetic and cap tables.
#pragma once

#include "engine/raster/wide_int.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vellograph::raster {

// Clipping a line whose ends lie anywhere in the int32 plane multiplies
// 33-bit quantities; 128 bits keep those products exact. The compiler's own
// type where it has one (64-bit targets); VELLOGRAPH_WIDE_INT lets a 64-bit
// build test the other.
#if defined(__SIZEOF_INT128__) && !defined(VELLOGRAPH_WIDE_INT)
__extension__ typedef __int128 Int128;
#else
typedef WideInt Int128;
#endif

// Floor and ceiling of n / d for d > 0, whatever the sign of n.
inline Int128 FloorDiv(Int128 n, Int128 d) {
    const Int128 q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}
inline Int128 CeilDiv(Int128 n, Int128 d) {
    const Int128 q = n / d;
    return (n % d != 0 && n > 0) ? q + 1 : q;
}
inline std::int64_t FloorDiv64(std::int64_t n, std::int64_t d) {
    const std::int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

// Four pixels at a time; the compiler lowers it to whatever the target has.
typedef std::uint32_t Quad __attribute__((vector_size(16)));

// Sets n pixels; plain loops over 32-bit words stay scalar at -O2.
inline void FillPixels(std::uint32_t* p, std::size_t n, std::uint32_t value) {
    std::size_t i = 0;
    if (n >= 8) {
        const Quad v = {value, value, value, value};
        for (; i + 8 <= n; i += 8) {
            std::memcpy(p + i, &v, sizeof v);
            std::memcpy(p + i + 4, &v, sizeof v);
        }
    }
    for (; i < n; ++i) {
        p[i] = value;
    }
}

// Paints [x0, x1) of a row of the given width, clipped to the row.
inline void PaintSpan(std::uint32_t* row, int width, std::int64_t x0, std::int64_t x1,
                      std::uint32_t value) {
    x0 = x0 < 0 ? 0 : x0;
    x1 = x1 > width ? width : x1;
    if (x0 < x1) {
        FillPixels(row + x0, static_cast<std::size_t>(x1 - x0), value);
    }
}

// Widths up to this one share tables built once per process.
inline constexpr int SharedCapMaxWidth = 128;

// Writes the 2 * width offsets (left, right; both inclusive) of the rows of a
// round cap, top row first; the top row is -(width / 2) from the centre.
void BuildCapRows(int width, std::int32_t* rows);
// The rows of a cap of width 2..SharedCapMaxWidth.
const std::int32_t* SharedCapRows(int width);

// The colour bits of a pixel; the top byte is not compared.
inline constexpr std::uint32_t ColorBits = 0x00FFFFFF;

// Row scans and fills of the flood fill for this processor, chosen on first
// use (canvas_rows.cpp): plain loops everywhere; on x86-64, SSE2 (which every
// such processor has) or AVX2, which halves the instructions where it is
// there. Indices count pixels from the start of the row.
struct RowRoutines {
    const char* name; // "Scalar", "Sse2" or "Avx2"
    // Some pixel of row[0, n) has the colour.
    bool (*hasColor)(const std::uint32_t* row, std::size_t n, std::uint32_t color);
    void (*paint)(std::uint32_t* row, std::size_t n, std::uint32_t value);
    // Checks and paints a row beside one that lies wholly in the region; false,
    // with the row painted up to near the border pixel, where there is one.
    bool (*clear)(std::uint32_t* row, std::size_t n, std::uint32_t border, std::uint32_t value);
    // The first pixel in [from, to) that has (findBorder) or has not
    // (findOther) the border colour; to when there is none.
    std::size_t (*findBorder)(const std::uint32_t* row, std::size_t from, std::size_t to,
                              std::uint32_t border);
    std::size_t (*findOther)(const std::uint32_t* row, std::size_t from, std::size_t to,
                             std::uint32_t border);
    // The last pixel before x that has the border colour; -1 when none has.
    std::ptrdiff_t (*findBorderBefore)(const std::uint32_t* row, std::size_t x,
                                       std::uint32_t border);
};

const RowRoutines& Rows();

} // namespace vellograph::raster
