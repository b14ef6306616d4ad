// The playback renderer, ClearSurface and DelayMs.
#include "engine/playback/render.h"

#include "engine/format/running.h"
#include "engine/playback/host.h"

#include <algorithm>

namespace vellograph {

TColor PenColor = 0;
TColor FillColor = 0xFFFFFF;
std::int32_t PenWidth = 2;
std::int32_t Pace = PaceSlow;
bool StopRequested = false;

void ResetRenderGlobals() {
    PenColor = 0;
    FillColor = 0xFFFFFF;
    PenWidth = DefaultPenWidth;
    Pace = PaceSlow;
    StopRequested = false;
    QuitRequested = false;
}

void ClearSurface(TCanvas& canvas, TColor color) {
    canvas.setPenColor(color);
    canvas.setBrushColor(color);
    canvas.floodFillBorder(1, 1, ClearBorderColor);
}

std::int32_t RecordedPenWidth(std::int32_t value) {
    constexpr std::int32_t MaxPenWidth = 128;
    return value > MaxPenWidth ? MaxPenWidth : (value < 1 ? DefaultPenWidth : value);
}

std::int32_t RecordedDelayMs(std::int32_t value) {
    return std::clamp(value, 1, 10000);
}

std::int32_t ScaledPenWidth(std::int32_t width, double scale) {
    const std::int32_t w = TruncToInt32(width * scale);
    return w <= 0 ? 1 : w;
}

void RenderDrawing(TCanvas& canvas, TAVecImage& drawing, std::int32_t originX, std::int32_t originY,
                   std::int32_t start, std::int32_t end, double scale, double angle) {
    const TViewMapper mapper(originX, originY, scale, angle);
    std::int32_t i = std::max(start, 0);
    if (i == 0) {
        drawing.LastFillIndex = NoIndex;
    }
    // Records appended while this playback runs are not played by it.
    const std::int32_t last = std::min(end, drawing.LastIndex);
    // The pump follows the records whose index is a multiple of Pace. Handlers
    // run by a pump may change Pace, so the next such index is worked out
    // again whenever Pace differs from the value it was worked out for.
    std::int32_t paceSeen = 0;
    std::int64_t nextPump = 0;
    auto seePace = [&] {
        paceSeen = Pace;
        const std::int64_t pace = std::max(paceSeen, 1);
        nextPump = (std::int64_t{i} + pace - 1) / pace * pace; // the first at or after i
    };
    seePace();
    // Trunc(PenWidth * scale), worked out again when PenWidth changes.
    std::int32_t penWidthSeen = PenWidth;
    std::int32_t scaledWidth = ScaledPenWidth(penWidthSeen, scale);
    while (i <= last) {
        // Handlers run from the pumps may have undone or cut off records. A
        // record beyond the drawing's current LastIndex is no longer part of
        // it (playing it would put undone strokes back on the screen), and one
        // beyond the storage does not exist at all: either ends the playback.
        if (i > drawing.LastIndex || static_cast<std::size_t>(i) >= drawing.Commands.size()) {
            return;
        }
        const TDrawCommand record = drawing.Commands[static_cast<std::size_t>(i)];
        // Strokes are mostly "l" records: a direct branch ahead of the jump table.
        switch (record.Letter == CmdLine ? CmdLine : record.Letter) {
        case CmdMove: {
            const TPoint p = mapper.map(RecordX(record), RecordY(record));
            canvas.moveTo(p.x, p.y);
            break;
        }
        case CmdLine: {
            canvas.setPenColor(PenColor);
            if (PenWidth != penWidthSeen) {
                penWidthSeen = PenWidth;
                scaledWidth = ScaledPenWidth(penWidthSeen, scale);
            }
            canvas.setPenWidth(scaledWidth);
            const TPoint p = mapper.map(RecordX(record), RecordY(record));
            canvas.lineTo(p.x, p.y);
            break;
        }
        case CmdColor:
            PenColor = RecordColor(record);
            canvas.setPenColor(PenColor);
            break;
        case CmdFill:
            FillColor = RecordColor(record);
            ClearSurface(canvas, FillColor);
            canvas.setPenColor(PenColor);
            drawing.LastFillIndex = i;
            DelayMs(FillDelayMs);
            break;
        case CmdDelay:
            DelayMs(RecordedDelayMs(RecordX(record)));
            break;
        case CmdPenWidth:
            PenWidth = RecordedPenWidth(RecordX(record));
            canvas.setPenWidth(PenWidth);
            break;
        case CmdEnd:
            if (IsEndMarker(record)) {
                return; // no pump, no stop test
            }
            break;
        default:
            break;
        }
        if (Pace != paceSeen) {
            seePace();
        }
        if (i == nextPump) {
            nextPump += std::max(paceSeen, 1);
            CurrentHost().ProcessMessages();
        }
        if (StopRequested) {
            StopRequested = false;
            return;
        }
        if (QuitRequested) {
            return; // every playback, outer ones too
        }
        ++i;
    }
}

void DelayMs(std::int32_t ms) {
    const TRunning running(TOperationKind::Delay);
    Host& host = CurrentHost();
    const std::uint32_t t0 = host.TickCount();
    for (;;) {
        const std::uint32_t elapsed = host.TickCount() - t0; // right across a wrap
        if (QuitRequested) {
            return;
        }
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
