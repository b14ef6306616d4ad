// Playback without a window for the export commands, and the thumbnail's fit.
#include "export_replay.h"

#include "fit.h"
#include "render.h"

#include <algorithm>

namespace vellograph::cli {

std::int32_t PlayedRecordCount(const TAVecImage& drawing) {
    const std::size_t inForce = std::min(
        drawing.Commands.size(), static_cast<std::size_t>(std::max(drawing.LastIndex + 1, 0)));
    for (std::size_t i = 0; i < inForce; ++i) {
        if (IsEndMarker(drawing.Commands[i])) {
            return static_cast<std::int32_t>(i);
        }
    }
    return static_cast<std::int32_t>(inForce);
}

std::int32_t Replay(TCanvas& canvas, int width, int height, TAVecImage& drawing,
                    const TViewParams& view, std::int32_t every,
                    const std::function<void(const TCanvas&, std::int32_t)>& snapshot) {
    InstantHost host;
    ScopedHost scoped(host);
    ResetRenderGlobals();
    const PaceOverride pace(PaceUndo); // fewer (empty) pumps
    canvas.resize(width, height);
    canvas.moveTo(0, 0);
    const std::int32_t played = PlayedRecordCount(drawing);
    every = std::max(every, 1);
    std::int32_t snapshots = 0;
    std::int32_t start = 0;
    TColor penColor = PenColor, fillColor = FillColor;
    std::int32_t penWidth = PenWidth;
    do {
        // One playback per stretch: the canvas keeps its pen position and the
        // pen globals are carried over (whatever the snapshot does with them),
        // exactly as in one playback of the whole range.
        const std::int32_t end = played - start > every ? start + every : played;
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
    ResetRenderGlobals();
    return snapshots;
}

void RenderPicture(TCanvas& canvas, int width, int height, TAVecImage& drawing,
                   const TViewParams& view) {
    Replay(canvas, width, height, drawing, view, PlayedRecordCount(drawing),
           [](const TCanvas&, std::int32_t) {});
}

TViewParams ThumbnailView(const TAVecImage& drawing, int size) {
    TViewParams view = DefaultView;
    TPointBox box;
    const std::int32_t played = PlayedRecordCount(drawing);
    for (std::int32_t i = 0; i < played; ++i) {
        box.add(drawing.Commands[static_cast<std::size_t>(i)]);
    }
    if (!box.any) {
        return view;
    }
    const int last = std::max(size - 1, 1);
    const double scale = box.fitScale(last, last);
    if (scale == 0.0) {
        view.OriginX = TruncToInt32(size / 2 - static_cast<double>(box.minX));
        view.OriginY = TruncToInt32(size / 2 - static_cast<double>(box.minY));
        return view;
    }
    view.Scale = scale;
    // Spans in double: a hostile box can be wider than 32 bits hold.
    const double spanX = (static_cast<double>(box.maxX) - box.minX) * scale;
    const double spanY = (static_cast<double>(box.maxY) - box.minY) * scale;
    view.OriginX = TruncToInt32(-box.minX * scale) + TruncToInt32((last - spanX) / 2);
    view.OriginY = TruncToInt32(-box.minY * scale) + TruncToInt32((last - spanY) / 2);
    return view;
}

} // namespace vellograph::cli
