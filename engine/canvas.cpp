// The pixel canvas. (Provisional: straightforward per-pixel rasterising.)
#include "canvas.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace vellograph {

TCanvas::TCanvas(int width, int height) { resize(width, height); }

void TCanvas::resize(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), 0xFFFFFFFFu);
}

void TCanvas::setPenColor(TColor color) {
    penColor_ = color & 0xFFFFFF;
    penPixel_ = toPixel(penColor_);
}
void TCanvas::setPenWidth(int width) { penWidth_ = width < 1 ? 1 : width; }
void TCanvas::setBrushColor(TColor color) {
    brushColor_ = color & 0xFFFFFF;
    brushPixel_ = toPixel(brushColor_);
}
void TCanvas::moveTo(std::int32_t x, std::int32_t y) { penPos_ = {x, y}; }

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
    const std::int64_t x0 = penPos_.x, y0 = penPos_.y;
    const std::int64_t dx = std::llabs(x - x0), dy = std::llabs(y - y0);
    const std::int64_t n = std::max(dx, dy);
    const int r = penWidth_ / 2;
    for (std::int64_t i = 0; i <= n; ++i) {
        if (penWidth_ <= 1 && i == n) {
            break;
        }
        const std::int64_t px = n ? x0 + (x - x0) * i / n : x0;
        const std::int64_t py = n ? y0 + (y - y0) * i / n : y0;
        if (penWidth_ <= 1) {
            setPixel(static_cast<std::int32_t>(px), static_cast<std::int32_t>(py), penColor_);
            continue;
        }
        for (int oy = -r; oy < penWidth_ - r; ++oy) {
            for (int ox = -r; ox < penWidth_ - r; ++ox) {
                if (4 * (ox * ox + oy * oy) <= penWidth_ * penWidth_) {
                    setPixel(static_cast<std::int32_t>(px + ox), static_cast<std::int32_t>(py + oy), penColor_);
                }
            }
        }
    }
    penPos_ = {x, y};
}

void TCanvas::floodFillBorder(std::int32_t x, std::int32_t y, TColor border) {
    if (pixel(x, y) == InvalidColor || pixel(x, y) == (border & 0xFFFFFF)) {
        return;
    }
    std::vector<char> seen(pixels_.size(), 0);
    std::vector<TPoint> stack{{x, y}};
    while (!stack.empty()) {
        const TPoint p = stack.back();
        stack.pop_back();
        if (p.x < 0 || p.y < 0 || p.x >= width_ || p.y >= height_) {
            continue;
        }
        const std::size_t k = static_cast<std::size_t>(p.y) * width_ + p.x;
        if (seen[k] || fromPixel(pixels_[k]) == (border & 0xFFFFFF)) {
            continue;
        }
        seen[k] = 1;
        stack.push_back({p.x + 1, p.y});
        stack.push_back({p.x - 1, p.y});
        stack.push_back({p.x, p.y + 1});
        stack.push_back({p.x, p.y - 1});
    }
    for (std::size_t k = 0; k < pixels_.size(); ++k) {
        if (seen[k]) {
            pixels_[k] = brushPixel_;
        }
    }
}

TRect TCanvas::lineBounds(TPoint a, TPoint b, int penWidth) const {
    const int w = std::max(penWidth, 1);
    const std::int64_t half = w / 2 + 1;
    auto clampX = [&](std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, width_)); };
    auto clampY = [&](std::int64_t v) { return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, height_)); };
    return {clampX(std::min<std::int64_t>(a.x, b.x) - half), clampY(std::min<std::int64_t>(a.y, b.y) - half),
            clampX(std::max<std::int64_t>(a.x, b.x) + half + 1), clampY(std::max<std::int64_t>(a.y, b.y) + half + 1)};
}

} // namespace vellograph
