// The colour picker's palette: its colour table, its drawing routines and
// the hit test that maps picker pixels to cells.
#pragma once

#include "engine/raster/canvas.h"

#include <array>
#include <cstdint>

namespace vellograph {

inline constexpr int PaletteColumns = 27;
inline constexpr int PaletteRows = 28;
inline constexpr int PaletteCellPitch = 13; // 12-pixel swatch + 1-pixel grid line
inline constexpr int PaletteSwatchSize = 12;
inline constexpr int PalettePictureWidth = 354;
inline constexpr int PalettePictureHeight = 367;
// The last two cells of the bottom row show the pen and the fill colour.
inline constexpr int PenIndicatorX = 327;
inline constexpr int FillIndicatorX = 340;
inline constexpr int IndicatorY = 353;
inline constexpr TColor PaletteFrameColor = 0x7F7F7F;
inline constexpr TColor PaletteGridColor = 0xBFBFBF;
inline constexpr TColor PaletteHighlightColor = 0xFFFFFF;

// Column after column, the rows of a column side by side: PaletteColors[c][r].
extern std::array<std::array<TColor, PaletteRows>, PaletteColumns> PaletteColors;

// min(32 n, 255) for n from 0 to 8.
std::int32_t ChannelLevel(int n);

void BuildPalette();
void DrawSwatch(TCanvas& canvas, std::uint8_t w, std::uint8_t h, std::int32_t x, std::int32_t y,
                TColor color);
void DrawRectOutline(TCanvas& canvas, std::int32_t w, std::int32_t h, std::int32_t x,
                     std::int32_t y, TColor color);
void DrawPalette(TCanvas& canvas);
void DrawPaletteGrid(TCanvas& canvas);

struct PaletteCell {
    int column;
    int row;
    friend bool operator==(const PaletteCell&, const PaletteCell&) = default;
};

// Each grid line but the first belongs to the cell left of (above) it.
PaletteCell PaletteHitTest(std::int32_t x, std::int32_t y);

} // namespace vellograph
