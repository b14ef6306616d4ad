// The bounding box of a drawing's points and the scale that fits it to a surface.
#pragma once

#include "engine/format/record.h"

#include <cstdint>

namespace vellograph {

// The box of the "m" and "l" points seen so far, in drawing units, without
// rotation or scale. Other records are skipped, end markers included.
struct TPointBox {
    std::int32_t minX = 99999999;
    std::int32_t minY = 99999999;
    std::int32_t maxX = -99999999;
    std::int32_t maxY = -99999999;
    bool any = false;

    void add(const TDrawCommand& record);
    // The scale at which the box fills a surface along its tighter direction,
    // keeping proportions; a box with no width (height) fits by the other
    // direction alone. 0 when no sensible scale exists: no point, a single
    // point, or a surface with no area.
    double fitScale(int surfaceWidth, int surfaceHeight) const;
};

} // namespace vellograph
