// The replay as a video: frame timing, ffmpeg's settings and the export.
#include "cli/export/video_export.h"

#include "cli/cli_common.h"
#include "cli/export/export_replay.h"
#include "cli/export/ffmpeg_pipe.h"
#include "cli/export/progress.h"
#include "engine/io/replace_file.h"
#include "engine/playback/played_records.h"
#include "engine/playback/render.h"

#include <algorithm>
#include <cmath>

namespace vellograph::cli {

bool VideoFormatOf(const std::string& path, VideoFormat& format) {
    const struct {
        const char* extension;
        VideoFormat format;
    } known[] = {
        {".mp4", VideoFormat::Mp4}, {".webm", VideoFormat::WebM}, {".gif", VideoFormat::Gif}};
    for (const auto& k : known) {
        if (EndsWithNoCase(path, k.extension)) {
            format = k.format;
            return true;
        }
    }
    return false;
}

std::int32_t DefaultRecordsPerFrame(std::int32_t played, int fps) {
    const std::int64_t frames = std::int64_t{DefaultReplaySeconds} * std::max(fps, 1);
    return static_cast<std::int32_t>(std::max<std::int64_t>((played + frames - 1) / frames, 1));
}

VideoTimeline::VideoTimeline(const TAVecImage& drawing, std::int32_t recordsPerFrame, int fps,
                             std::int64_t holdFrames)
    : drawing_(&drawing), played_(PlayedRecordCount(drawing)),
      perFrame_(std::max(recordsPerFrame, 1)), fps_(std::max(fps, 1)),
      holdFrames_(std::max<std::int64_t>(holdFrames, 0)) {}

VideoTimeline::Stretch VideoTimeline::next(std::int32_t start) {
    if (played_ == 0) {
        return {0, 1 + holdFrames_};
    }
    // Holds add up as they are walked; a stretch ends at the first record
    // after which a frame is due.
    struct Frames : PlayedRecordVisitor {
        VideoTimeline& t;
        Stretch found;
        void OnFill(std::int32_t, TColor) { t.carry_ += std::int64_t{FillDelayMs} * t.fps_; }
        void OnDelay(std::int32_t, std::int32_t ms) { t.carry_ += std::int64_t{ms} * t.fps_; }
        bool AfterRecord(std::int32_t i) {
            const std::int64_t held = t.carry_ / 1000;
            t.carry_ %= 1000;
            const bool last = i + 1 == t.played_;
            const std::int64_t frames =
                held + ((i + 1) % t.perFrame_ == 0 || last ? 1 : 0) + (last ? t.holdFrames_ : 0);
            if (frames > 0) {
                found = {i + 1, frames};
            }
            return frames == 0;
        }
    } frames{{}, *this, {played_, 0}};
    ForEachPlayed(*drawing_, start, played_ - 1, frames);
    return frames.found;
}

std::int64_t VideoTimeline::totalFrames() const {
    VideoTimeline walk = *this;
    std::int64_t frames = 0;
    std::int32_t at = 0;
    do {
        const Stretch s = walk.next(at);
        frames += s.frames;
        at = s.end;
    } while (at < played_);
    return frames;
}

namespace {

std::vector<std::string> RawInput(int width, int height, int fps, const std::string& input) {
    return {"-hide_banner",
            "-nostdin",
            "-nostats",
            "-loglevel",
            "error",
            "-f",
            "rawvideo",
            "-pix_fmt",
            "bgr0",
            "-video_size",
            std::to_string(width) + "x" + std::to_string(height),
            "-framerate",
            std::to_string(fps),
            "-i",
            input};
}

// RGB to YUV with the matrix the file declares, so players show the colours
// drawn rather than guess between the SD and HD matrices.
const std::vector<std::string> Bt709 = {"-colorspace", "bt709", "-color_primaries", "bt709",
                                        "-color_trc",  "bt709", "-color_range",     "tv"};
const char* const ToBt709 = "scale=out_color_matrix=bt709:out_range=tv,format=yuv420p";

} // namespace

std::vector<std::string> EncoderArgs(VideoFormat format, int width, int height, int fps,
                                     const std::string& input, const std::string& output) {
    std::vector<std::string> a = RawInput(width, height, fps, input);
    auto add = [&a](std::initializer_list<std::string> more) { a.insert(a.end(), more); };
    switch (format) {
    case VideoFormat::Mp4:
        // yuv420p, which every player takes, needs even sides.
        add({"-vf", std::string("pad=ceil(iw/2)*2:ceil(ih/2)*2:color=white,") + ToBt709, "-c:v",
             "libx264", "-preset", "medium", "-crf", "20", "-tune", "animation"});
        a.insert(a.end(), Bt709.begin(), Bt709.end());
        add({"-movflags", "+faststart", "-f", "mp4"});
        break;
    case VideoFormat::WebM:
        add({"-vf", ToBt709, "-c:v", "libvpx-vp9", "-crf", "30", "-b:v", "0", "-deadline", "good",
             "-cpu-used", "4", "-row-mt", "1"});
        a.insert(a.end(), Bt709.begin(), Bt709.end());
        add({"-f", "webm"});
        break;
    case VideoFormat::Gif:
        // Drawn pixels are flat colours: nearest colour, no dither noise, and
        // only the changed part of each frame is mapped.
        add({"-f", "rawvideo", "-pix_fmt", "bgra", "-video_size", "16x16", "-i", "pipe:3", "-lavfi",
             "[0:v][1:v]paletteuse=dither=none:diff_mode=rectangle", "-loop", "0", "-f", "gif"});
        break;
    }
    add({"-y", output});
    return a;
}

std::vector<std::string> PaletteArgs(int width, int height, int fps, const std::string& input) {
    std::vector<std::string> a = RawInput(width, height, fps, input);
    a.insert(a.end(), {"-vf", "palettegen", "-f", "rawvideo", "-pix_fmt", "bgra", "pipe:1"});
    return a;
}

namespace {

// Plays the drawing and sends every frame of the timeline down the pipe.
void SendFrames(FfmpegPipe& ffmpeg, TAVecImage& drawing, const VideoSettings& s,
                const TViewParams& view, VideoTimeline timeline, Progress& progress,
                std::int64_t doneBefore, const std::string& what) {
    const std::int64_t total = timeline.totalFrames();
    const std::string of = "/" + std::to_string(total);
    std::int64_t frames = 0, sent = 0;
    TCanvas canvas;
    ReplayStretches(
        canvas, s.width, s.height, drawing, view,
        [&](std::int32_t start) {
            const VideoTimeline::Stretch next = timeline.next(start);
            frames = next.frames;
            return next.end;
        },
        [&](const TCanvas& c, std::int32_t) {
            const std::size_t bytes = c.bytesPerLine() * static_cast<std::size_t>(c.height());
            for (std::int64_t k = 0; k < frames; ++k) {
                ffmpeg.write(c.bits(), bytes);
                ++sent;
                progress.update(doneBefore + sent, what + std::to_string(sent) + of);
            }
        });
}

} // namespace

VideoSummary MakeVideo(const std::string& in, const std::string& out,
                       const VideoSettings& settings) {
    TAVecImage drawing;
    ReadDrawing(in, drawing);
    RefuseToOverwrite(in, out);
    const TViewParams view =
        settings.fit ? FitView(drawing, settings.width, settings.height) : settings.view;
    VideoSummary summary;
    const std::int32_t played = PlayedRecordCount(drawing);
    summary.recordsPerFrame = settings.recordsPerFrame > 0
                                  ? settings.recordsPerFrame
                                  : DefaultRecordsPerFrame(played, settings.fps);
    const VideoTimeline timeline(drawing, summary.recordsPerFrame, settings.fps,
                                 std::llround(settings.holdSeconds * settings.fps));
    summary.frames = timeline.totalFrames();
    const bool gif = settings.format == VideoFormat::Gif;

    const InterruptGuard interrupts;
    Progress progress(summary.frames * (gif ? 2 : 1), settings.quiet);
    TReplaceFile file(out);
    CheckWritten(out, file.result());
    std::string palette;
    if (gif) {
        FfmpegPipe pass(PaletteArgs(settings.width, settings.height, settings.fps, "pipe:0"), true);
        SendFrames(pass, drawing, settings, view, timeline, progress, 0, "palette: frame ");
        pass.finish();
        palette = pass.output();
        if (palette.size() != PaletteBytes) {
            Fail("ffmpeg gave no palette for the GIF");
        }
    }
    FfmpegPipe encoder(EncoderArgs(settings.format, settings.width, settings.height, settings.fps,
                                   "pipe:0", "file:" + file.temporary()),
                       false, palette);
    SendFrames(encoder, drawing, settings, view, timeline, progress, gif ? summary.frames : 0,
               "frame ");
    encoder.finish();
    InterruptGuard::check();
    file.commit();
    CheckWritten(out, file.result());
    return summary;
}

} // namespace vellograph::cli
