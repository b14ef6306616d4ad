// View parameters and the mapping from drawing units to surface pixels.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vellograph {

struct TViewParams {
    std::int32_t ExtentX; // page width in drawing units (frame outline only)
    std::int32_t ExtentY;
    std::int32_t OriginX; // surface pixel where the drawing's (0, 0) lands
    std::int32_t OriginY;
    double Angle; // radians, counter-clockwise on screen
    double Scale; // surface pixels per drawing unit
};

struct TPoint {
    std::int32_t x;
    std::int32_t y;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

inline constexpr TViewParams DefaultView{1366, 768, 0, 0, 0.0, 1.0};

void ResetView(TViewParams& view);

// Truncation toward zero, saturated to the signed 32-bit range (NaN gives 0)
// so that far-off points stay far off instead of wrapping. Inline: playback
// maps every record through it.
inline std::int32_t TruncToInt32(double value) {
    if (!(value > -2147483648.0)) {
        return value != value ? 0 : INT32_MIN; // NaN compares false both ways
    }
    if (value >= 2147483647.0) {
        return INT32_MAX;
    }
    return static_cast<std::int32_t>(value);
}

// The forward mapping with its sine and cosine taken once, for loops over
// many points. Gives exactly what MapToScreen gives.
class TViewMapper {
public:
    TViewMapper(std::int32_t originX, std::int32_t originY, double scale, double angle);
    explicit TViewMapper(const TViewParams& view)
        : TViewMapper(view.OriginX, view.OriginY, view.Scale, view.Angle) {}
    TPoint map(std::int32_t x, std::int32_t y) const {
        if (unit_) {
            // Unturned and unscaled, the terms above are whole numbers and zeros,
            // so the sum in 64 bits is the same value, saturated the same way.
            return {Saturate(std::int64_t{x} + originXi_), Saturate(std::int64_t{y} + originYi_)};
        }
        const double xs = x * scale_;
        const double ys = y * scale_;
        return {TruncToInt32(cos_ * xs + sin_ * ys + originX_),
                TruncToInt32(-sin_ * xs + cos_ * ys + originY_)};
    }

private:
    static std::int32_t Saturate(std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    }
    bool unit_; // angle 0 and scale 1, the default view
    std::int32_t originXi_;
    std::int32_t originYi_;
    double cos_;
    double sin_;
    double scale_;
    double originX_;
    double originY_;
};

// Rotate, scale and shift a drawing point onto the surface; no clipping.
TPoint MapToScreen(std::int32_t x, std::int32_t y, const TViewParams& view);
TPoint MapToScreen(std::int32_t x, std::int32_t y, std::int32_t originX, std::int32_t originY,
                   double scale, double angle);

} // namespace vellograph
