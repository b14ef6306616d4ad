// Playback without a window for the export commands: no waiting, no messages.
#pragma once

#include "engine/format/drawing.h"
#include "engine/playback/host.h"
#include "engine/playback/view.h"
#include "engine/raster/canvas.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vellograph::cli {

// A host whose clock has always run past any delay by the time it is read a
// second time, so delay and fill records play without waiting. Messages are
// kept, not shown.
class InstantHost : public Host {
public:
    void ProcessMessages() override {}
    void WaitAndProcessMessages(std::uint32_t) override {}
    std::uint32_t TickCount() override { return ticks_ += 1u << 20; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    std::vector<std::string> messages;

private:
    std::uint32_t ticks_ = 0;
};

// The number of records a playback from record 0 plays: those in force up to
// the first end marker, which is not counted.
std::int32_t PlayedRecordCount(const TAVecImage& drawing);

// Plays the drawing from its first record onto the canvas, made width x
// height and all white, with the pen at (0, 0) and the pen and pacing globals
// at their start-up values, as a fresh program would. After every `every`
// records, and once more at the end when records remain, calls
// snapshot(canvas, records played so far). Returns the number of snapshots
// (at least 1, even with no record to play).
std::int32_t Replay(TCanvas& canvas, int width, int height, TAVecImage& drawing,
                    const TViewParams& view, std::int32_t every,
                    const std::function<void(const TCanvas&, std::int32_t)>& snapshot);

// Replay with stretches of any length: stretchEnd(start) gives the records
// played once the stretch that starts at `start` is done, above start (the
// count of records a playback plays when nothing is left), and snapshot is
// called after each stretch.
std::int32_t ReplayStretches(TCanvas& canvas, int width, int height, TAVecImage& drawing,
                             const TViewParams& view,
                             const std::function<std::int32_t(std::int32_t)>& stretchEnd,
                             const std::function<void(const TCanvas&, std::int32_t)>& snapshot);

// The whole picture in one pass.
void RenderPicture(TCanvas& canvas, int width, int height, TAVecImage& drawing,
                   const TViewParams& view);

// The view that fits a drawing into a size x size square, as "Вписать" fits
// the screen: no rotation, the points' box scaled to fill the square along its
// tighter direction with proportions kept. The box spans the pixels 0 to
// size - 1 (the far corner lands on the last pixel, not beyond it) and sits in
// the middle along the looser direction. A drawing whose points are all one
// point is shown at scale 1 with that point in the middle; one with no point
// gets the default view.
TViewParams ThumbnailView(const TAVecImage& drawing, int size);
// The same for a width x height surface.
TViewParams FitView(const TAVecImage& drawing, int width, int height);

// The whole thumbnail command: read IN, fit and play it into a size x size
// square, write OUT as PNG. Throws a CliError on failure.
void MakeThumbnail(const std::string& in, const std::string& out, int size);

} // namespace vellograph::cli
