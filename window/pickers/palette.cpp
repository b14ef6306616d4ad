// The colour picker's palette table and drawing routines.
#include "window/pickers/palette.h"

#include <algorithm>

namespace vellograph {

std::array<std::array<TColor, PaletteRows>, PaletteColumns> PaletteColors{};

namespace {

constexpr TColor Rgb(std::int32_t r, std::int32_t g, std::int32_t b) {
    return static_cast<TColor>(r + g * 256 + b * 65536);
}

// Bottom row, columns 9 to 24: pure colours with red changing fastest, first
// at levels 0/255, then at 0/127 (column 20 is orange, not olive).
constexpr std::array<TColor, 16> PureColors = {
    Rgb(0, 0, 0),   Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(255, 255, 0),
    Rgb(0, 0, 255), Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255),
    Rgb(0, 0, 0),   Rgb(127, 0, 0),   Rgb(0, 127, 0),   Rgb(255, 127, 0),
    Rgb(0, 0, 127), Rgb(127, 0, 127), Rgb(0, 127, 127), Rgb(127, 127, 127)};

} // namespace

std::int32_t ChannelLevel(int n) {
    return std::min(32 * n, 255);
}

void BuildPalette() {
    // 3 x 3 blocks of 9 x 9 cells: red grows to the right and green downwards
    // inside a block; each block has one blue level.
    for (int c = 0; c < PaletteColumns; ++c) {
        for (int r = 0; r < PaletteColumns; ++r) {
            PaletteColors[c][r] =
                Rgb(ChannelLevel(c % 9), ChannelLevel(r % 9), ChannelLevel(3 * (r / 9) + c / 9));
        }
    }
    const int bottom = PaletteRows - 1;
    for (int c = 0; c <= 8; ++c) {
        const std::int32_t level = ChannelLevel(c);
        PaletteColors[c][bottom] = Rgb(level, level, level);
    }
    for (int c = 9; c <= 24; ++c) {
        PaletteColors[c][bottom] = PureColors[static_cast<std::size_t>(c - 9)];
    }
    // Columns 25 and 26 are the indicator cells; their entries stay as they are.
}

void DrawSwatch(TCanvas& canvas, std::uint8_t w, std::uint8_t h, std::int32_t x, std::int32_t y,
                TColor color) {
    canvas.setPenWidth(1);
    canvas.setPenColor(color);
    for (std::int32_t i = 0; i < h; ++i) {
        canvas.moveTo(x, y + i);
        canvas.lineTo(x + w, y + i); // the end point is left out: exactly w pixels
    }
}

void DrawRectOutline(TCanvas& canvas, std::int32_t w, std::int32_t h, std::int32_t x,
                     std::int32_t y, TColor color) {
    canvas.setPenWidth(1);
    canvas.setPenColor(color);
    canvas.moveTo(x, y);
    canvas.lineTo(x + w, y);
    canvas.lineTo(x + w, y + h);
    canvas.lineTo(x, y + h);
    canvas.lineTo(x, y);
}

void DrawPalette(TCanvas& canvas) {
    for (int r = 0; r < PaletteRows; ++r) {
        for (int c = 0; c < PaletteColumns; ++c) {
            DrawSwatch(canvas, PaletteSwatchSize, PaletteSwatchSize, PaletteCellPitch * c + 2,
                       PaletteCellPitch * r + 2, PaletteColors[c][r]);
        }
    }
    DrawRectOutline(canvas, PalettePictureWidth - 1, PalettePictureHeight - 1, 0, 0,
                    PaletteFrameColor);
}

void DrawPaletteGrid(TCanvas& canvas) {
    canvas.setPenWidth(1);
    canvas.setPenColor(PaletteGridColor);
    for (int r = 0; r <= PaletteRows; ++r) {
        canvas.moveTo(1, PaletteCellPitch * r + 1);
        canvas.lineTo(PalettePictureWidth - 2, PaletteCellPitch * r + 1);
    }
    for (int c = 0; c <= PaletteColumns; ++c) {
        canvas.moveTo(PaletteCellPitch * c + 1, 1);
        canvas.lineTo(PaletteCellPitch * c + 1, PalettePictureHeight - 2);
    }
}

PaletteCell PaletteHitTest(std::int32_t x, std::int32_t y) {
    // Signed division truncating toward zero, then clamped to the grid.
    const std::int64_t c = (static_cast<std::int64_t>(x) - 2) / PaletteCellPitch;
    const std::int64_t r = (static_cast<std::int64_t>(y) - 2) / PaletteCellPitch;
    return {static_cast<int>(std::clamp<std::int64_t>(c, 0, PaletteColumns - 1)),
            static_cast<int>(std::clamp<std::int64_t>(r, 0, PaletteRows - 1))};
}

} // namespace vellograph
