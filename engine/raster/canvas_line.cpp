// One-pixel lines: Bresenham with the end point left out and ties to the
// smaller minor coordinate, clipped arithmetically to the surface.
#include "engine/raster/canvas.h"

#include "engine/raster/canvas_raster.h"

#include <algorithm>
#include <cstddef>

namespace vellograph {

using raster::Int128;

namespace {

// The line walks its major axis a one pixel per step, i = 0 .. major - 1, and
// its minor axis b by k(i) steps, with
//   k(i) = floor((2 * minor * i + major - 1 + bias) / (2 * major)),
// which is the exact minor offset rounded, ties going towards the smaller
// coordinate (bias is 1 when the minor axis runs backwards). The incremental
// error term used while drawing is
//   err(i) = 2 * minor * (i + 1) - major - 2 * major * k(i),
// and the minor axis steps after pixel i when err(i) + bias > 0.
struct Walk {
    std::int64_t major;
    std::int64_t minor;
    std::int64_t bias;

    std::int64_t stepsAt(std::int64_t i) const {
        const Int128 n = Int128{2} * minor * i + major - 1 + bias;
        return static_cast<std::int64_t>(n / (Int128{2} * major));
    }
    // The first i with k(i) >= k; minor > 0.
    std::int64_t firstWithSteps(std::int64_t k) const {
        const Int128 n = Int128{2} * major * k - (major - 1 + bias);
        return static_cast<std::int64_t>(raster::CeilDiv(n, Int128{2} * minor));
    }
    std::int64_t errorAt(std::int64_t i, std::int64_t k) const {
        return static_cast<std::int64_t>(Int128{2} * minor * (i + 1) - major -
                                         Int128{2} * major * k);
    }
};

// Range of i for which a0 + dir * i lies in [0, limit).
void clipAxis(std::int64_t a0, int dir, std::int64_t limit, std::int64_t& lo, std::int64_t& hi) {
    if (dir > 0) {
        lo = std::max(lo, -a0);
        hi = std::min(hi, limit - 1 - a0);
    } else {
        lo = std::max(lo, a0 - (limit - 1));
        hi = std::min(hi, a0);
    }
}

} // namespace

void TCanvas::thinLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    const std::int64_t dx = x1 - x0;
    const std::int64_t dy = y1 - y0;
    const std::int64_t adx = dx < 0 ? -dx : dx;
    const std::int64_t ady = dy < 0 ? -dy : dy;
    if (adx == 0 && ady == 0) {
        return;
    }
    const bool xMajor = adx >= ady;
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    const int sa = xMajor ? sx : sy; // along the major axis
    const int sb = xMajor ? sy : sx; // along the minor axis
    const Walk walk{xMajor ? adx : ady, xMajor ? ady : adx, sb < 0 ? 1 : 0};
    const std::int64_t a0 = xMajor ? x0 : y0;
    const std::int64_t b0 = xMajor ? y0 : x0;

    std::int64_t first = 0;
    std::int64_t last = walk.major - 1;
    std::int64_t k = 0;
    std::int64_t err = 2 * walk.minor - walk.major;
    const bool inside = x0 >= 0 && x1 >= 0 && y0 >= 0 && y1 >= 0 && x0 < width_ && x1 < width_ &&
                        y0 < height_ && y1 < height_;
    if (!inside) {
        // Cut the step range down to the pixels on the surface, without
        // walking the invisible part: far-off ends cost nothing extra.
        clipAxis(a0, sa, xMajor ? width_ : height_, first, last);
        std::int64_t kLo = 0;
        std::int64_t kHi = walk.minor;
        clipAxis(b0, sb, xMajor ? height_ : width_, kLo, kHi);
        if (first > last || kLo > kHi) {
            return;
        }
        if (walk.minor > 0) {
            first = std::max(first, walk.firstWithSteps(kLo));
            if (kHi < walk.minor) {
                last = std::min(last, walk.firstWithSteps(kHi + 1) - 1);
            }
        }
        if (first > last) {
            return;
        }
        k = walk.stepsAt(first);
        err = walk.errorAt(first, k);
    }

    const std::ptrdiff_t stride = width_;
    const std::ptrdiff_t stepA = xMajor ? sa : sa * stride;
    const std::ptrdiff_t stepB = xMajor ? sb * stride : sb;
    const std::int64_t a = a0 + sa * first;
    const std::int64_t b = b0 + sb * k;
    std::ptrdiff_t offset = xMajor ? b * stride + a : a * stride + b;
    const std::int64_t twoMajor = 2 * walk.major;
    const std::int64_t twoMinor = 2 * walk.minor;
    const std::int64_t threshold = -walk.bias;
    const std::uint32_t color = penPixel_;
    std::uint32_t* const bits = pixels_.data();
    for (std::int64_t n = last - first + 1; n > 0; --n) {
        bits[offset] = color;
        if (err > threshold) {
            offset += stepB;
            err -= twoMajor;
        }
        err += twoMinor;
        offset += stepA;
    }
}

} // namespace vellograph
