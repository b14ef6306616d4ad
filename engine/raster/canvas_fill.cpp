// The border-mode flood fill: the 4-connected region of pixels that are not
// exactly the border colour; rows wholly in it are painted as they are
// checked, the rest is found first and painted afterwards.
#include "engine/raster/canvas.h"

#include "engine/raster/canvas_raster.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellograph {

namespace {

using raster::ColorBits;
using raster::RowRoutines;
using raster::Rows;

// One bit per pixel marking the region found so far.
class RowBits {
public:
    RowBits(int width, int height)
        : words_((static_cast<std::size_t>(width) + 63) / 64),
          bits_(words_ * static_cast<std::size_t>(height), 0) {}
    bool test(std::int32_t x, std::int32_t y) const {
        return (bits_[index(x, y)] >> (x & 63)) & 1u;
    }
    // Marks [x0, x1] of row y.
    void set(std::int32_t x0, std::int32_t x1, std::int32_t y) {
        std::size_t i = index(x0, y);
        const std::size_t end = index(x1, y);
        const std::uint64_t head = ~std::uint64_t{0} << (x0 & 63);
        const std::uint64_t tail = ~std::uint64_t{0} >> (63 - (x1 & 63));
        if (i == end) {
            bits_[i] |= head & tail;
            return;
        }
        bits_[i] |= head;
        while (++i < end) {
            bits_[i] = ~std::uint64_t{0};
        }
        bits_[end] |= tail;
    }

private:
    std::size_t index(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * words_ + static_cast<std::size_t>(x >> 6);
    }
    std::size_t words_;
    std::vector<std::uint64_t> bits_;
};

struct Run {
    std::int32_t y;
    std::int32_t x0;
    std::int32_t x1; // inclusive
};

} // namespace

void TCanvas::floodFillBorder(std::int32_t x, std::int32_t y, TColor border) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    const std::uint32_t borderBits = toPixel(border) & ColorBits;
    if ((pixels_[static_cast<std::size_t>(y) * width_ + x] & ColorBits) == borderBits) {
        return;
    }
    // Painted pixels keep counting as inside only while the brush differs
    // from the border; otherwise the region must be known before any paint.
    if ((brushPixel_ & ColorBits) != borderBits && fillWholeRows(y, borderBits)) {
        return;
    }
    fillRegion(x, y, borderBits);
}

bool TCanvas::fillWholeRows(std::int32_t seedY, std::uint32_t border) {
    // Rows without a border pixel that touch the seed's row through other such
    // rows lie wholly in the region, so each can be checked and painted in one
    // pass while it is in the cache. Without any border pixel that is the
    // whole surface. Where a row holds one, the general search takes over and
    // finds the blocks painted before it already in the region.
    const std::size_t w = static_cast<std::size_t>(width_);
    const RowRoutines& rows = Rows();
    auto rowAt = [&](std::int32_t y) { return pixels_.data() + static_cast<std::size_t>(y) * w; };
    // Only the seed's row must be known clear before any of it is painted:
    // beside a row wholly in the region, every pixel that is not the border
    // colour is in the region too.
    if (rows.hasColor(rowAt(seedY), w, border)) {
        return false;
    }
    rows.paint(rowAt(seedY), w, brushPixel_);
    std::int32_t up = seedY - 1;
    while (up >= 0 && rows.clear(rowAt(up), w, border, brushPixel_)) {
        --up;
    }
    std::int32_t down = seedY + 1;
    while (down < height_ && rows.clear(rowAt(down), w, border, brushPixel_)) {
        ++down;
    }
    return up < 0 && down >= height_;
}

void TCanvas::fillRegion(std::int32_t seedX, std::int32_t seedY, std::uint32_t border) {
    const std::uint32_t* const bits = pixels_.data();
    const std::size_t stride = static_cast<std::size_t>(width_);
    const RowRoutines& rows = Rows();
    auto rowAt = [&](std::int32_t y) { return bits + static_cast<std::size_t>(y) * stride; };
    // A maximal run of non-border pixels in a row is wholly inside or wholly
    // outside, so runs are the unit of the search; one bit tells a run seen.
    RowBits seen(width_, height_);
    std::vector<Run> region;
    std::vector<std::pair<std::int32_t, std::int32_t>> pending{{seedX, seedY}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        if (seen.test(x, y)) {
            continue;
        }
        const std::uint32_t* row = rowAt(y);
        const auto x0 = static_cast<std::int32_t>(
            rows.findBorderBefore(row, static_cast<std::size_t>(x), border) + 1);
        const auto x1 = static_cast<std::int32_t>(
            rows.findBorder(row, static_cast<std::size_t>(x) + 1, stride, border) - 1);
        seen.set(x0, x1, y);
        region.push_back({y, x0, x1});
        for (const std::int32_t ny : {y - 1, y + 1}) {
            if (ny < 0 || ny >= height_) {
                continue;
            }
            // Each run of the row beside this one that this one touches.
            const std::uint32_t* next = rowAt(ny);
            const auto stop = static_cast<std::size_t>(x1) + 1;
            std::size_t nx = rows.findOther(next, static_cast<std::size_t>(x0), stop, border);
            while (nx < stop) {
                if (!seen.test(static_cast<std::int32_t>(nx), ny)) {
                    pending.emplace_back(static_cast<std::int32_t>(nx), ny);
                }
                nx = rows.findBorder(next, nx, stop, border);
                nx = rows.findOther(next, nx, stop, border);
            }
        }
    }
    for (const Run& run : region) {
        std::uint32_t* row = pixels_.data() + static_cast<std::size_t>(run.y) * stride;
        raster::FillPixels(row + run.x0, static_cast<std::size_t>(run.x1 - run.x0 + 1),
                           brushPixel_);
    }
}

} // namespace vellograph
