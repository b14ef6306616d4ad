// View defaults and the forward mapping.
#include "engine/playback/view.h"

#include <cmath>

namespace vellograph {

void ResetView(TViewParams& view) {
    view = DefaultView;
}

TViewMapper::TViewMapper(std::int32_t originX, std::int32_t originY, double scale, double angle)
    : unit_(angle == 0.0 && scale == 1.0), originXi_(originX), originYi_(originY),
      cos_(std::cos(angle)), sin_(std::sin(angle)), scale_(scale), originX_(originX),
      originY_(originY) {}

TPoint MapToScreen(std::int32_t x, std::int32_t y, std::int32_t originX, std::int32_t originY,
                   double scale, double angle) {
    return TViewMapper(originX, originY, scale, angle).map(x, y);
}

TPoint MapToScreen(std::int32_t x, std::int32_t y, const TViewParams& view) {
    return MapToScreen(x, y, view.OriginX, view.OriginY, view.Scale, view.Angle);
}

} // namespace vellograph
