// Playback without a window for the export commands.
#include "cli/export/export_replay.h"

#include "engine/playback/played_records.h"
#include "engine/playback/render.h"

#include <algorithm>

namespace vellograph::cli {

std::int32_t PlayedRecordCount(const TAVecImage& drawing) {
    return ForEachPlayed(drawing, 0, drawing.LastIndex, PlayedRecordVisitor{});
}

std::int32_t Replay(TCanvas& canvas, int width, int height, TAVecImage& drawing,
                    const TViewParams& view, std::int32_t every,
                    const std::function<void(const TCanvas&, std::int32_t)>& snapshot) {
    const std::int32_t played = PlayedRecordCount(drawing);
    every = std::max(every, 1);
    return ReplayStretches(
        canvas, width, height, drawing, view,
        [&](std::int32_t start) { return played - start > every ? start + every : played; },
        snapshot);
}

std::int32_t ReplayStretches(TCanvas& canvas, int width, int height, TAVecImage& drawing,
                             const TViewParams& view,
                             const std::function<std::int32_t(std::int32_t)>& stretchEnd,
                             const std::function<void(const TCanvas&, std::int32_t)>& snapshot) {
    InstantHost host;
    ScopedHost scoped(host);
    ResetRenderGlobals();
    // A snapshot that throws leaves the globals at their start-up values too.
    struct Reset {
        ~Reset() { ResetRenderGlobals(); }
    } reset;
    const PaceOverride pace(PaceFastReplay); // fewer (empty) pumps
    canvas.resize(width, height);
    canvas.moveTo(0, 0);
    const std::int32_t played = PlayedRecordCount(drawing);
    std::int32_t snapshots = 0;
    std::int32_t start = 0;
    TColor penColor = PenColor, fillColor = FillColor;
    std::int32_t penWidth = PenWidth;
    do {
        // One playback per stretch: the canvas keeps its pen position and the
        // pen globals are carried over (whatever the snapshot does with them),
        // exactly as in one playback of the whole range.
        const std::int32_t end = std::clamp(stretchEnd(start), std::min(start + 1, played), played);
        if (end > start) {
            PenColor = penColor;
            FillColor = fillColor;
            PenWidth = penWidth;
            RenderDrawing(canvas, drawing, view.OriginX, view.OriginY, start, end - 1, view.Scale,
                          view.Angle);
            penColor = PenColor;
            fillColor = FillColor;
            penWidth = PenWidth;
        }
        snapshot(canvas, end);
        ++snapshots;
        start = end;
    } while (start < played);
    return snapshots;
}

void RenderPicture(TCanvas& canvas, int width, int height, TAVecImage& drawing,
                   const TViewParams& view) {
    Replay(canvas, width, height, drawing, view, PlayedRecordCount(drawing),
           [](const TCanvas&, std::int32_t) {});
}

} // namespace vellograph::cli
