// The pixel surface and its pen, with the line and flood-fill rules of the
// classic Windows GDI canvas.
#pragma once

#include "engine/format/record.h"
#include "engine/playback/view.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vellograph {

// A half-open pixel rectangle [left, right) x [top, bottom).
struct TRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Value returned for pixels outside the surface.
inline constexpr TColor InvalidColor = 0xFFFFFFFF;

// Wider pens act as this wide: far beyond any surface, and it keeps the cap
// table and the body arithmetic small.
inline constexpr int CanvasMaxPenWidth = 16384;

// Pixels are 32-bit words laid out like QImage::Format_RGB32 (0xFFRRGGBB),
// rows top to bottom with no padding, so a window can show them in place.
// Colours in and out of the API are 0x00BBGGRR.
class TCanvas {
public:
    TCanvas() = default;
    TCanvas(int width, int height);

    // New size, all white. Pen and brush keep their settings. Too large a
    // surface throws (std::length_error, std::bad_alloc) and changes nothing.
    void resize(int width, int height);
    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t* bits() { return pixels_.data(); }
    const std::uint32_t* bits() const { return pixels_.data(); }
    std::size_t bytesPerLine() const { return static_cast<std::size_t>(width_) * 4; }

    // Inline, like setPenWidth's common case: playback sets both before
    // every segment.
    void setPenColor(TColor color) {
        penColor_ = color & 0xFFFFFF;
        penPixel_ = toPixel(penColor_);
    }
    TColor penColor() const { return penColor_; }
    // Width 0 or less acts as 1; above CanvasMaxPenWidth as that width.
    void setPenWidth(int width) {
        if (width != penWidth_) { // penWidth_ is always in range
            changePenWidth(width);
        }
    }
    int penWidth() const { return penWidth_; }
    void setBrushColor(TColor color);
    TColor brushColor() const { return brushColor_; }

    TPoint penPos() const { return penPos_; }
    void moveTo(std::int32_t x, std::int32_t y);
    // 1-pixel pens leave the end point out; wider pens draw round caps at
    // both ends and the body between. Clipped to the surface, any coordinates.
    void lineTo(std::int32_t x, std::int32_t y);

    void setPixel(std::int32_t x, std::int32_t y, TColor color);
    TColor pixel(std::int32_t x, std::int32_t y) const;

    // Paints, with the brush, the 4-connected region around the seed whose
    // pixels are not exactly the border colour (24 bits compared).
    void floodFillBorder(std::int32_t x, std::int32_t y, TColor border);

    // A rectangle holding every pixel a line from a to b with the given pen
    // width can touch, clipped to the surface.
    TRect lineBounds(TPoint a, TPoint b, int penWidth) const;

    static std::uint32_t toPixel(TColor color) {
        return 0xFF000000u | ((color & 0xFFu) << 16) | (color & 0xFF00u) | ((color >> 16) & 0xFFu);
    }
    static TColor fromPixel(std::uint32_t pixel) {
        return ((pixel & 0xFFu) << 16) | (pixel & 0xFF00u) | ((pixel >> 16) & 0xFFu);
    }

private:
    // A short segment's pixels relative to its start, worked out once per pen
    // width and step through segment(), then painted wherever the segment lies
    // wholly on the surface. Freehand strokes are mostly such steps of a few
    // pixels. Narrow pens keep single pixels, wider ones runs in a row.
    struct StampSpan {
        std::int32_t offset; // from the start pixel, rows of width_ pixels
        std::int32_t length;
    };
    struct Stamp {
        std::uint32_t first = 0; // into stampPixels_ or stampSpans_
        std::uint16_t count = 0;
        bool built = false;
        // Pixels and both end points, relative to the start; inclusive.
        std::int8_t left = 0, top = 0, right = 0, bottom = 0;
    };
    bool paintStamp(TPoint from, TPoint to);
    void buildStamp(Stamp& stamp, int dx, int dy);
    // The general rasteriser: clips, any length.
    void segment(TPoint from, TPoint to);

    void changePenWidth(int width);
    void thinLine(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    void cap(std::int64_t x, std::int64_t y);
    void body(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);
    void quad(const std::int64_t (&xs)[4], const std::int64_t (&ys)[4], bool clockwise);
    std::uint32_t* row(std::int64_t y) {
        return pixels_.data() + static_cast<std::size_t>(y) * width_;
    }
    bool fillWholeRows(std::int32_t seedY, std::uint32_t border);
    void fillRegion(std::int32_t seedX, std::int32_t seedY, std::uint32_t border);

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
    TColor penColor_ = 0;
    std::uint32_t penPixel_ = 0xFF000000u;
    int penWidth_ = 1;
    TColor brushColor_ = 0xFFFFFF;
    std::uint32_t brushPixel_ = 0xFFFFFFFFu;
    TPoint penPos_{0, 0};
    // Cap rows (left, right offsets) of the pen: a process-wide table, or
    // wideCap_ for pens wider than those.
    const std::int32_t* sharedCap_ = nullptr;
    std::vector<std::int32_t> wideCap_;
    // By pen width and step; offsets depend on width_, so resize drops them.
    std::vector<Stamp> stamps_;
    std::vector<std::int32_t> stampPixels_;
    std::vector<StampSpan> stampSpans_;
};

} // namespace vellograph
