// Planning a video: the size, rate, view, pace and holds of one try.
#pragma once

#include "cli/export/video_export.h"

namespace vellograph::cli {

// One try at the video: its size, rate, view and frames.
struct VideoPlan {
    int width, height, fps;
    TViewParams view;
    StrokePace pace;
    std::int64_t introFrames, holdFrames, frames;
};

// The plan for the settings at this size and rate. A size other than the
// settings' shows the same picture smaller; with a narration the finished
// picture stays until it ends.
VideoPlan PlanVideo(const TAVecImage& drawing, const VideoSettings& s, int width, int height,
                    int fps, double audioSeconds);

// The next, smaller try under a size limit; false when none is left.
bool NextSmaller(int& width, int& height, int& fps);

} // namespace vellograph::cli
