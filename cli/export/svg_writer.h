// A drawing as vector elements, and those elements as a static or animated SVG.
#pragma once

#include "cli/export/svg_fills.h"
#include "engine/format/drawing.h"
#include "engine/playback/view.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellograph::cli {

// One stroke or one fill, in the order playback paints them.
struct VectorElement {
    enum Kind { Stroke, Fill } kind = Stroke;
    TColor color = 0;
    // Stroke: the pen width in surface pixels, scaled as playback scales it.
    std::int32_t width = 1;
    // Stroke: surface pixels, the pen position first, then one per "l".
    std::vector<TPoint> points;
    // Animation: seconds from the start at which each point is reached (the
    // first one when the stroke starts); a fill has one, when it paints.
    std::vector<double> times;
    // Fill: the pixels it paints on the page; unset, the whole page.
    std::optional<std::vector<PixelBlock>> region;
};

struct VectorPicture {
    std::vector<VectorElement> elements;
    std::int32_t records = 0; // records played, the end marker not counted
    std::int64_t heldMs = 0;  // time held still by delay and fill records
    double duration = 0;      // records / rate + heldMs / 1000, in seconds
};

inline constexpr double DefaultRecordsPerSecond = 300;

// Follows playback's rules from a fresh start: pen colour black and width 2,
// pen position at surface (0, 0), records up to the first end marker. An "m"
// ends the stroke; an "l" extends it while the pen colour and the scaled
// width stay the same and starts a new one from the pen position otherwise;
// a fill ends it and covers the page (TraceDrawingOnSurface gives it the
// region it really paints). On the replay's clock every record
// takes 1 / rate seconds and its effect shows at the end of its slot; a delay
// record then holds for its time (clamped to 1..10000 ms as playback clamps
// it) and a fill for 10 ms.
VectorPicture TraceDrawing(const TAVecImage& drawing, const TViewParams& view,
                           double recordsPerSecond = DefaultRecordsPerSecond);

// The picture on a white width x height page. Animated, every element stays
// hidden until its time, a stroke then grows point by point, and the finished
// picture stays; only declarative SVG animation is used, no script, and a
// viewer that does not animate shows the finished picture.
std::string WriteSvg(const VectorPicture& picture, int width, int height, bool animate);

} // namespace vellograph::cli
