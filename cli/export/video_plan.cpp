// Planning a video: its narration's length, the pace and holds of one try,
// and the smaller tries a size limit makes.
#include "cli/export/video_plan.h"

#include "cli/cli_common.h"
#include "cli/export/export_replay.h"
#include "cli/export/ffmpeg_pipe.h"
#include "engine/playback/played_records.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vellograph::cli {

std::int64_t HeldMs(const TAVecImage& drawing, const DelayRule& delays) {
    struct Held : PlayedRecordVisitor {
        const DelayRule& rule;
        std::int64_t ms = 0;
        void OnFill(std::int32_t, TColor) { ms += FillDelayMs; }
        void OnDelay(std::int32_t, std::int32_t d) { ms += rule.apply(d); }
    } held{{}, delays};
    ForEachPlayed(drawing, 0, drawing.LastIndex, held);
    return held.ms;
}

double AudioSeconds(const std::string& path) {
    // Copying the track to nowhere reads it whole without decoding it, and
    // the progress report's last time is its length.
    FfmpegPipe probe({"-hide_banner", "-nostdin", "-nostats", "-loglevel", "error", "-i",
                      "file:" + path, "-map", "0:a:0", "-c", "copy", "-f", "null", "-progress",
                      "pipe:1", "-"},
                     true);
    try {
        probe.finish();
    } catch (const CliError& e) {
        std::string why = e.what();
        if (why.rfind("ffmpeg failed: ", 0) == 0) {
            why.erase(0, 15);
        }
        Fail("cannot read " + Quoted(path) + " as sound: " + why);
    }
    const std::string& report = probe.output();
    const std::size_t at = report.rfind("out_time_us=");
    const double seconds = at == std::string::npos ? 0 : std::atof(report.c_str() + at + 12) / 1e6;
    if (!(seconds > 0)) {
        Fail("cannot read " + Quoted(path) + " as sound: it has no length");
    }
    return seconds;
}

VideoPlan PlanVideo(const TAVecImage& drawing, const VideoSettings& s, int width, int height,
                    int fps, double audioSeconds) {
    VideoPlan p{width,
                height,
                fps,
                s.view,
                {},
                std::llround(s.introSeconds * fps),
                std::llround(s.holdSeconds * fps),
                0};
    if (s.fit) {
        p.view = FitView(drawing, width, height);
    } else if (width != s.width) { // a smaller try shows the same picture smaller
        const double f = static_cast<double>(width) / s.width;
        p.view.OriginX = static_cast<std::int32_t>(std::lround(s.view.OriginX * f));
        p.view.OriginY = static_cast<std::int32_t>(std::lround(s.view.OriginY * f));
        p.view.Scale *= f;
    }
    const std::int32_t played = PlayedRecordCount(drawing);
    double seconds = s.durationSeconds;
    if (s.durationFromAudio) {
        // Half a second for the strokes at least; the hold gives way first.
        constexpr double MinStrokes = 0.5;
        const double room =
            audioSeconds - s.introSeconds - static_cast<double>(HeldMs(drawing, s.delays)) / 1000;
        const double hold = std::clamp(room - MinStrokes, 0.0, s.holdSeconds);
        p.holdFrames = std::llround(hold * fps);
        seconds = std::max(room - hold, MinStrokes);
    }
    if (s.recordsPerFrame > 0) {
        p.pace = {1, s.recordsPerFrame};
    } else if (seconds > 0) {
        p.pace = {std::max<std::int64_t>(std::llround(seconds * fps), 1), std::max(played, 1)};
    } else if (s.speed > 0) {
        p.pace = {1000, std::max<std::int64_t>(
                            std::llround(DefaultRecordsPerFrame(played, fps) * s.speed * 1000), 1)};
    } else {
        p.pace = {1, DefaultRecordsPerFrame(played, fps)};
    }
    p.frames =
        p.introFrames + VideoTimeline(drawing, p.pace, fps, p.holdFrames, s.delays).totalFrames();
    // The finished picture stays while the narration goes on.
    const std::int64_t spoken = static_cast<std::int64_t>(std::ceil(audioSeconds * fps - 1e-6));
    if (spoken > p.frames) {
        p.holdFrames += spoken - p.frames;
        p.frames = spoken;
    }
    return p;
}

// The tries a size limit makes, after the one asked for: two thirds of the
// frame rate each time down to 6 a second, then three quarters of the size.
bool NextSmaller(int& width, int& height, int& fps) {
    constexpr int MinFps = 6, MinSide = 32;
    if (fps > MinFps) {
        fps = std::max(MinFps, fps * 2 / 3);
        return true;
    }
    if (std::min(width, height) * 3 / 4 < MinSide) {
        return false;
    }
    width = std::max(1, width * 3 / 4);
    height = std::max(1, height * 3 / 4);
    return true;
}

} // namespace vellograph::cli
