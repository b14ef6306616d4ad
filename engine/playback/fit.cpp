// The bounding box of a drawing's points and its fitting scale.
#include "engine/playback/fit.h"

#include <algorithm>
#include <cmath>

namespace vellograph {

void TPointBox::add(const TDrawCommand& record) {
    if (record.Letter != CmdMove && record.Letter != CmdLine) {
        return;
    }
    const std::int32_t x = RecordX(record);
    const std::int32_t y = RecordY(record);
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
    any = true;
}

double TPointBox::fitScale(int surfaceWidth, int surfaceHeight) const {
    if (!any || (maxX == minX && maxY == minY)) {
        return 0.0;
    }
    const double sx = maxX > minX ? static_cast<double>(surfaceWidth) / (maxX - minX) : INFINITY;
    const double sy = maxY > minY ? static_cast<double>(surfaceHeight) / (maxY - minY) : INFINITY;
    const double scale = sx <= sy ? sx : sy;
    return std::isfinite(scale) && scale > 0.0 ? scale : 0.0;
}

} // namespace vellograph
