// The playback renderer with the pen and pacing globals it shares with the
// drawing tools.
#pragma once

#include "engine/format/drawing.h"
#include "engine/format/record_rules.h"
#include "engine/playback/view.h"
#include "engine/raster/canvas.h"

#include <cstdint>

namespace vellograph {

// Their start-up values are in record_rules.h.
extern TColor PenColor;
extern TColor FillColor;
extern std::int32_t PenWidth;
extern std::int32_t Pace;  // records played between two pumps; at least 1
extern bool StopRequested; // false

inline constexpr TColor ClearBorderColor = 0x000001;

// PenColor, FillColor and PenWidth back to their defaults.
void ResetPenGlobals();
// Resets the five globals to their start-up values.
void ResetRenderGlobals();

// The pen width on the surface: the truncated scaled width, at least 1.
std::int32_t ScaledPenWidth(std::int32_t width, double scale);

// A border-mode flood fill from pixel (1, 1) with border 0x000001; the pen
// colour stays the given colour.
void ClearSurface(TCanvas& canvas, TColor color);

// Plays records start..end (both inclusive) through the view, pumping the
// message queue every Pace records.
void RenderDrawing(TCanvas& canvas, TAVecImage& drawing, std::int32_t originX, std::int32_t originY,
                   std::int32_t start, std::int32_t end, double scale, double angle);

// Waits at least ms milliseconds while keeping the message queue pumped.
void DelayMs(std::int32_t ms);

// The engine side of the playback commands.
void RedrawAll(TCanvas& canvas, TAVecImage& drawing, const TViewParams& view); // clear + play all
inline void PlayToEnd() {
    Pace = PaceToEnd;
}
inline void PlaySlowly() {
    Pace = PaceSlow;
}
inline void RequestStop() {
    StopRequested = true;
}

// Keeps Pace, sets another for one call, and puts it back afterwards.
class PaceOverride {
public:
    explicit PaceOverride(std::int32_t pace) : saved_(Pace) { Pace = pace; }
    ~PaceOverride() { Pace = saved_; }
    PaceOverride(const PaceOverride&) = delete;
    PaceOverride& operator=(const PaceOverride&) = delete;

private:
    std::int32_t saved_;
};

} // namespace vellograph
