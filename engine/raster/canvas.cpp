// The pixel canvas: surface, pen state, single pixels and the line entry point.
#include "engine/raster/canvas.h"

#include "engine/raster/canvas_raster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace vellograph {

TCanvas::TCanvas(int width, int height) {
    resize(width, height);
}

void TCanvas::resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    // Where std::size_t has 32 bits the count could wrap to a small surface
    // that every later write overruns; too large a one fails as it does on
    // 64-bit targets, and the canvas keeps its size when the memory is not there.
    const std::uint64_t count =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (count > pixels_.max_size()) {
#if defined(__cpp_exceptions)
        throw std::length_error("TCanvas: surface too large");
#else
        std::abort(); // builds without exceptions (the replay page) cap their surface first
#endif
    }
    pixels_.assign(static_cast<std::size_t>(count), 0xFFFFFFFFu);
    width_ = width;
    height_ = height;
    stamps_.clear();
    stampPixels_.clear();
    stampSpans_.clear();
}

void TCanvas::changePenWidth(int width) {
    width = std::clamp(width, 1, CanvasMaxPenWidth);
    if (width == penWidth_) {
        return;
    }
    penWidth_ = width;
    if (width <= raster::SharedCapMaxWidth) {
        sharedCap_ = width >= 2 ? raster::SharedCapRows(width) : nullptr;
    } else {
        wideCap_.resize(2 * static_cast<std::size_t>(width));
        raster::BuildCapRows(width, wideCap_.data());
    }
}

void TCanvas::setBrushColor(TColor color) {
    brushColor_ = color & 0xFFFFFF;
    brushPixel_ = toPixel(brushColor_);
}

void TCanvas::moveTo(std::int32_t x, std::int32_t y) {
    penPos_ = {x, y};
}

void TCanvas::setPixel(std::int32_t x, std::int32_t y, TColor color) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) {
        pixels_[static_cast<std::size_t>(y) * width_ + x] = toPixel(color);
    }
}

TColor TCanvas::pixel(std::int32_t x, std::int32_t y) const {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) {
        return fromPixel(pixels_[static_cast<std::size_t>(y) * width_ + x]);
    }
    return InvalidColor;
}

void TCanvas::lineTo(std::int32_t x, std::int32_t y) {
    const TPoint from = penPos_;
    const TPoint to{x, y}; // passed on from registers, not read back from penPos_
    penPos_ = to;
    if (pixels_.empty() || paintStamp(from, to)) {
        return;
    }
    segment(from, to);
}

void TCanvas::segment(TPoint from, TPoint to) {
    if (penWidth_ <= 1) {
        thinLine(from.x, from.y, to.x, to.y);
        return;
    }
    cap(from.x, from.y);
    if (from != to) {
        cap(to.x, to.y);
        body(from.x, from.y, to.x, to.y);
    }
}

TRect TCanvas::lineBounds(TPoint a, TPoint b, int penWidth) const {
    const int w = std::clamp(penWidth, 1, CanvasMaxPenWidth);
    // A wide body corner lies at most w / 2 + 1 from its end point and paints
    // only pixels before its right and bottom corners; caps stay within w / 2.
    const std::int64_t before = w == 1 ? 0 : w / 2 + 1;
    const std::int64_t after = w == 1 ? 1 : w / 2 + 1;
    auto clampTo = [](std::int64_t v, int limit) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, limit));
    };
    TRect r{clampTo(std::int64_t{std::min(a.x, b.x)} - before, width_),
            clampTo(std::int64_t{std::min(a.y, b.y)} - before, height_),
            clampTo(std::int64_t{std::max(a.x, b.x)} + after, width_),
            clampTo(std::int64_t{std::max(a.y, b.y)} + after, height_)};
    if (r.empty()) {
        return {};
    }
    return r;
}

} // namespace vellograph
