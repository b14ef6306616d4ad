// The pen width picker's picture: the width formula and the preview.
#pragma once

#include "engine/raster/canvas.h"

#include <cstdint>

namespace vellograph {

inline constexpr int PenWidthPictureWidth = 256;
inline constexpr int PenWidthPictureHeight = 128;

// Half the pointer's distance right of the sample line's start; positions
// left of it give the default width 2, not 1.
std::int32_t PenWidthFromPickerX(std::int32_t x, std::int32_t pictureWidth);

// White field, a sample line in PenColor and PenWidth from (W/4, H/2) to the
// right edge, a one-pixel black frame. Leaves the pen at width 1, black.
void DrawPenWidthPreview(TCanvas& canvas, std::int32_t width, std::int32_t height);

} // namespace vellograph
