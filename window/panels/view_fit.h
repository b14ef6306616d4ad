// Fitting the view to a drawing's bounding box, and the page frame outline.
#pragma once

#include "engine/format/drawing.h"
#include "engine/playback/view.h"
#include "engine/raster/canvas.h"

#include <array>
#include <string>

namespace vellograph {

inline constexpr TColor FrameEraseColor = 0xFFFFFF;
inline constexpr TColor FrameColor = 0x0000FF; // red

// The page corners (0, 0), (ExtentX, 0), (ExtentX, ExtentY), (0, ExtentY) and
// (0, 0) again, mapped through the view: the outline's path.
std::array<TPoint, 5> ViewFrameCorners(const TViewParams& view);

// The page rectangle (0, 0)-(ExtentX, ExtentY) mapped through the view, drawn
// with a 1-pixel pen of the given colour.
void DrawViewFrame(TCanvas& canvas, const TViewParams& view, TColor color);

// The shortest decimal form with at most 15 significant digits: fixed
// notation, scientific ("1.234E-6") below 0.00001 or from 1E15 on. The
// separator is text, as some locales use a character beyond ASCII.
std::string FormatScale(double value, const std::string& decimalSeparator);

// Scans the drawing's "m" and "l" points for their bounding box and rewrites
// the view so the box fills the surface without rotation, telling the user
// the box and the scale. A drawing without at least two distinct points, or
// a surface with no area, leaves the view as it was and tells nothing.
// False when a stop or a quit ended the scan: a stop still fits the box of
// the records scanned so far; a quit changes nothing.
bool ComputeFitView(TViewParams& view, const TAVecImage& drawing, int surfaceWidth,
                    int surfaceHeight, const std::string& decimalSeparator);

} // namespace vellograph
