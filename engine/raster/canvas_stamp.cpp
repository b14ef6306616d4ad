// Short segments painted from pixels worked out once per pen width and step.
#include "engine/raster/canvas.h"

#include "engine/raster/canvas_raster.h"

#include <cstddef>
#include <cstdint>

namespace vellograph {

namespace {

// Steps up to this far on each axis, pens up to this wide: the steps of a
// freehand stroke at the usual pen widths.
constexpr int Reach = 8;
constexpr int Side = 2 * Reach + 1;
constexpr int MaxWidth = 16;
// Up to this width a segment is a few dozen pixels, stored one by one; the
// runs of wider pens are long enough to paint as runs.
constexpr int MaxPixelWidth = 4;
// Pixel lists come in groups of this many, the last pixel repeated to fill
// the last group: painting twice is harmless, and a 1-pixel step of one to
// four pixels then always takes the same path through the loop.
constexpr std::size_t PixelGroup = 4;

} // namespace

bool TCanvas::paintStamp(TPoint from, TPoint to) {
    const std::int64_t dx = std::int64_t{to.x} - from.x;
    const std::int64_t dy = std::int64_t{to.y} - from.y;
    if (penWidth_ > MaxWidth || dx < -Reach || dx > Reach || dy < -Reach || dy > Reach) {
        return false;
    }
    if (stamps_.empty()) {
        stamps_.resize(static_cast<std::size_t>(MaxWidth) * Side * Side);
    }
    Stamp& s = stamps_[(static_cast<std::size_t>(penWidth_ - 1) * Side +
                        static_cast<std::size_t>(dy + Reach)) *
                           Side +
                       static_cast<std::size_t>(dx + Reach)];
    if (!s.built) {
        buildStamp(s, static_cast<int>(dx), static_cast<int>(dy));
    }
    // Wholly on the surface, the general rasteriser clips nothing, and what
    // it draws there is what it drew for the stamp, shifted. Elsewhere it clips.
    if (std::int64_t{from.x} + s.left < 0 || std::int64_t{from.x} + s.right >= width_ ||
        std::int64_t{from.y} + s.top < 0 || std::int64_t{from.y} + s.bottom >= height_) {
        return false;
    }
    std::uint32_t* const start =
        pixels_.data() + static_cast<std::size_t>(from.y) * static_cast<std::size_t>(width_) +
        static_cast<std::size_t>(from.x);
    const std::uint32_t color = penPixel_;
    if (penWidth_ <= MaxPixelWidth) {
        const std::int32_t* offset = stampPixels_.data() + s.first;
        for (const std::int32_t* const end = offset + s.count; offset != end;
             offset += PixelGroup) {
            start[offset[0]] = color;
            start[offset[1]] = color;
            start[offset[2]] = color;
            start[offset[3]] = color;
        }
        return true;
    }
    const StampSpan* span = stampSpans_.data() + s.first;
    for (const StampSpan* const end = span + s.count; span != end; ++span) {
        raster::FillPixels(start + span->offset, static_cast<std::size_t>(span->length), color);
    }
    return true;
}

void TCanvas::buildStamp(Stamp& s, int dx, int dy) {
    // The segment drawn whole by the general rasteriser, around the middle of
    // a scratch surface, then read back row by row.
    constexpr int Margin = Reach + MaxWidth / 2 + 2;
    constexpr int Size = 2 * Margin + 1;
    TCanvas scratch(Size, Size);
    scratch.setPenColor(0);
    scratch.setPenWidth(penWidth_);
    scratch.segment({Margin, Margin}, {Margin + dx, Margin + dy});
    const std::uint32_t ink = scratch.penPixel_;
    auto widen = [&s](int x, int y) {
        s.left = static_cast<std::int8_t>(x < s.left ? x : s.left);
        s.right = static_cast<std::int8_t>(x > s.right ? x : s.right);
        s.top = static_cast<std::int8_t>(y < s.top ? y : s.top);
        s.bottom = static_cast<std::int8_t>(y > s.bottom ? y : s.bottom);
    };
    widen(dx, dy); // the end point, which a 1-pixel pen leaves out
    const bool pixels = penWidth_ <= MaxPixelWidth;
    s.first = static_cast<std::uint32_t>(pixels ? stampPixels_.size() : stampSpans_.size());
    for (int y = 0; y < Size; ++y) {
        const std::uint32_t* row = scratch.bits() + static_cast<std::size_t>(y) * Size;
        for (int x = 0; x < Size;) {
            if (row[x] != ink) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < Size && row[x] == ink) {
                ++x;
            }
            const std::int32_t offset = (y - Margin) * width_ + (x0 - Margin);
            if (pixels) {
                for (int k = 0; k < x - x0; ++k) {
                    stampPixels_.push_back(offset + k);
                }
            } else {
                stampSpans_.push_back({offset, x - x0});
            }
            widen(x0 - Margin, y - Margin);
            widen(x - 1 - Margin, y - Margin);
        }
    }
    if (pixels && stampPixels_.size() > s.first) {
        while ((stampPixels_.size() - s.first) % PixelGroup != 0) {
            stampPixels_.push_back(stampPixels_.back());
        }
    }
    const std::size_t end = pixels ? stampPixels_.size() : stampSpans_.size();
    s.count = static_cast<std::uint16_t>(end - s.first);
    s.built = true;
}

} // namespace vellograph
