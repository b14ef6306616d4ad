// The playback renderer, ClearSurface and DelayMs.
#include "engine/playback/render.h"

#include "engine/playback/host.h"
#include "engine/playback/played_records.h"

#include <algorithm>

namespace vellograph {

TColor PenColor = DefaultPenColor;
TColor FillColor = DefaultFillColor;
std::int32_t PenWidth = DefaultPenWidth;
std::int32_t Pace = PaceSlow;
bool StopRequested = false;

void ResetPenGlobals() {
    PenColor = DefaultPenColor;
    FillColor = DefaultFillColor;
    PenWidth = DefaultPenWidth;
}

void ResetRenderGlobals() {
    ResetPenGlobals();
    Pace = PaceSlow;
    StopRequested = false;
}

void ClearSurface(TCanvas& canvas, TColor color) {
    canvas.setPenColor(color);
    canvas.setBrushColor(color);
    canvas.floodFillBorder(1, 1, ClearBorderColor);
}

std::int32_t ScaledPenWidth(std::int32_t width, double scale) {
    const std::int32_t w = TruncToInt32(width * scale);
    return w <= 0 ? 1 : w;
}

namespace {

// What playback does with each record, and between records the pump and the
// stop test.
class Player : public PlayedRecordVisitor {
public:
    Player(TCanvas& canvas, TAVecImage& drawing, const TViewMapper& mapper, double scale,
           std::int32_t start)
        : canvas_(canvas), drawing_(drawing), mapper_(mapper), scale_(scale),
          penWidthSeen_(PenWidth), scaledWidth_(ScaledPenWidth(PenWidth, scale)) {
        seePace(std::max(start, 0));
    }

    void OnMove(std::int32_t, std::int32_t x, std::int32_t y) {
        const TPoint p = mapper_.map(x, y);
        canvas_.moveTo(p.x, p.y);
    }
    void OnLine(std::int32_t, std::int32_t x, std::int32_t y) {
        canvas_.setPenColor(PenColor);
        if (PenWidth != penWidthSeen_) {
            penWidthSeen_ = PenWidth;
            scaledWidth_ = ScaledPenWidth(penWidthSeen_, scale_);
        }
        canvas_.setPenWidth(scaledWidth_);
        const TPoint p = mapper_.map(x, y);
        canvas_.lineTo(p.x, p.y);
    }
    void OnColor(std::int32_t, TColor color) {
        PenColor = color;
        canvas_.setPenColor(PenColor);
    }
    void OnFill(std::int32_t i, TColor color) {
        FillColor = color;
        ClearSurface(canvas_, FillColor);
        canvas_.setPenColor(PenColor);
        drawing_.LastFillIndex = i;
        DelayMs(FillDelayMs);
    }
    void OnDelay(std::int32_t, std::int32_t ms) { DelayMs(ms); }
    void OnPenWidth(std::int32_t, std::int32_t width) {
        PenWidth = width;
        canvas_.setPenWidth(PenWidth);
    }
    // The end marker ends the playback with no pump and no stop test.

    bool AfterRecord(std::int32_t i) {
        if (Pace != paceSeen_) {
            seePace(i);
        }
        if (i == nextPump_) {
            nextPump_ += std::max(paceSeen_, 1);
            CurrentHost().ProcessMessages();
        }
        if (StopRequested) {
            StopRequested = false;
            return false;
        }
        return true;
    }

private:
    // The pump follows the records whose index is a multiple of Pace. Handlers
    // run by a pump may change Pace, so the next such index is worked out
    // again whenever Pace differs from the value it was worked out for.
    void seePace(std::int32_t i) {
        paceSeen_ = Pace;
        const std::int64_t pace = std::max(paceSeen_, 1);
        nextPump_ = (std::int64_t{i} + pace - 1) / pace * pace; // the first at or after i
    }

    TCanvas& canvas_;
    TAVecImage& drawing_;
    const TViewMapper& mapper_;
    double scale_;
    std::int32_t paceSeen_ = 0;
    std::int64_t nextPump_ = 0;
    // Trunc(PenWidth * scale), worked out again when PenWidth changes.
    std::int32_t penWidthSeen_;
    std::int32_t scaledWidth_;
};

} // namespace

void RenderDrawing(TCanvas& canvas, TAVecImage& drawing, std::int32_t originX, std::int32_t originY,
                   std::int32_t start, std::int32_t end, double scale, double angle) {
    const TViewMapper mapper(originX, originY, scale, angle);
    if (start <= 0) {
        drawing.LastFillIndex = NoIndex;
    }
    // The walk takes the last index once and checks the bounds on every
    // record; the player pumps and obeys a stop after each one.
    ForEachPlayed(drawing, start, end, Player(canvas, drawing, mapper, scale, start));
}

void DelayMs(std::int32_t ms) {
    Host& host = CurrentHost();
    const std::uint32_t t0 = host.TickCount();
    for (;;) {
        const std::uint32_t elapsed = host.TickCount() - t0; // right across a wrap
        if (ms < 0 || elapsed >= static_cast<std::uint32_t>(ms)) {
            host.ProcessMessages();
            return;
        }
        host.WaitAndProcessMessages(static_cast<std::uint32_t>(ms) - elapsed);
    }
}

void RedrawAll(TCanvas& canvas, TAVecImage& drawing, const TViewParams& view) {
    ClearSurface(canvas, ClearColor);
    RenderDrawing(canvas, drawing, view.OriginX, view.OriginY, 0, drawing.LastIndex, view.Scale,
                  view.Angle);
}

} // namespace vellograph
