// The regions fill records paint, found by playing the drawing in the raster.
#pragma once

#include "engine/format/drawing.h"
#include "engine/playback/view.h"
#include "engine/raster/canvas.h"

#include <cstdint>
#include <vector>

namespace vellograph::cli {

// A block of whole pixels: left, top, width and height, all above 0 but the
// corner.
struct PixelBlock {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const PixelBlock&, const PixelBlock&) = default;
};

// The pixels of the canvas whose colour is `color`, as blocks: runs along
// each row, a run merged with the one below it while both span the same
// columns. Sorted by their top, then their left.
std::vector<PixelBlock> BlocksOfColor(const TCanvas& canvas, TColor color);

// The region a fill would paint on this canvas now: what ClearSurface reaches
// from (1, 1), held back only by pixels of exactly the border colour.
std::vector<PixelBlock> FillRegion(const TCanvas& canvas);

// For every fill record a playback from record 0 plays, in order, the region
// it paints on a width x height surface through the view.
std::vector<std::vector<PixelBlock>> TraceFillRegions(TAVecImage& drawing, const TViewParams& view,
                                                      int width, int height);

struct VectorPicture;
// TraceDrawing with every fill given the region it paints on that surface.
VectorPicture TraceDrawingOnSurface(TAVecImage& drawing, const TViewParams& view, int width,
                                    int height, double recordsPerSecond);

} // namespace vellograph::cli
