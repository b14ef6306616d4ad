// The replay as a video: frame timing, ffmpeg's settings and the export.
#include "cli/export/video_export.h"

#include "cli/cli_common.h"
#include "cli/export/export_replay.h"
#include "cli/export/ffmpeg_pipe.h"
#include "cli/export/progress.h"
#include "cli/export/video_plan.h"
#include "engine/io/replace_file.h"
#include "engine/playback/played_records.h"
#include "engine/playback/render.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>

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

VideoTimeline::VideoTimeline(const TAVecImage& drawing, StrokePace pace, int fps,
                             std::int64_t holdFrames, DelayRule delays)
    : drawing_(&drawing),
      played_(PlayedRecordCount(drawing)), pace_{std::max<std::int64_t>(pace.frames, 0),
                                                 std::max<std::int64_t>(pace.records, 1)},
      fps_(std::max(fps, 1)), delays_(delays), holdFrames_(std::max<std::int64_t>(holdFrames, 0)) {}

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
        void OnDelay(std::int32_t, std::int32_t ms) {
            t.carry_ += std::int64_t{t.delays_.apply(ms)} * t.fps_;
        }
        bool AfterRecord(std::int32_t i) {
            const std::int64_t held = t.carry_ / 1000;
            t.carry_ %= 1000;
            const bool last = i + 1 == t.played_;
            const std::int64_t due = (i + 1) * t.pace_.frames / t.pace_.records -
                                     std::int64_t{i} * t.pace_.frames / t.pace_.records;
            const std::int64_t frames =
                held + std::max<std::int64_t>(due, last ? 1 : 0) + (last ? t.holdFrames_ : 0);
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
                                     const std::string& input, const std::string& output,
                                     const std::string& audio) {
    std::vector<std::string> a = RawInput(width, height, fps, input);
    auto add = [&a](std::initializer_list<std::string> more) { a.insert(a.end(), more); };
    const bool sound = !audio.empty() && format != VideoFormat::Gif;
    if (sound) {
        add({"-i", "file:" + audio, "-map", "0:v:0", "-map", "1:a:0"});
        if (format == VideoFormat::Mp4) {
            add({"-c:a", "aac", "-b:a", "160k"});
        } else {
            add({"-c:a", "libopus", "-b:a", "96k"});
        }
    }
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

// The finished picture for the intro's frames, its last ones fading to the
// white the replay starts from.
void SendIntro(FfmpegPipe& ffmpeg, TAVecImage& drawing, const VideoPlan& p,
               const std::function<void()>& sent) {
    if (p.introFrames <= 0) {
        return;
    }
    TCanvas finished, frame;
    RenderPicture(finished, p.width, p.height, drawing, p.view);
    const std::size_t words =
        static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height);
    const std::int64_t fade = std::min<std::int64_t>(p.introFrames / 3, std::llround(0.3 * p.fps));
    frame = finished;
    for (std::int64_t k = 0; k < p.introFrames; ++k) {
        const std::int64_t into = k - (p.introFrames - fade) + 1; // 1..fade while fading
        if (into > 0) {
            const std::uint32_t a = static_cast<std::uint32_t>(256 * into / (fade + 1));
            for (std::size_t w = 0; w < words; ++w) {
                const std::uint32_t c = finished.bits()[w];
                std::uint32_t out = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const std::uint32_t v = (c >> shift) & 0xFF;
                    out |= ((v * (256 - a) + 255 * a) >> 8) << shift;
                }
                frame.bits()[w] = out;
            }
        }
        ffmpeg.write(frame.bits(), words * 4);
        sent();
    }
}

// Plays the drawing and sends every frame of the plan down the pipe.
void SendFrames(FfmpegPipe& ffmpeg, TAVecImage& drawing, const VideoSettings& s, const VideoPlan& p,
                Progress& progress, std::int64_t doneBefore, const std::string& what) {
    const std::string of = "/" + std::to_string(p.frames);
    std::int64_t frames = 0, sent = 0;
    auto one = [&] {
        ++sent;
        progress.update(doneBefore + sent, what + std::to_string(sent) + of);
    };
    SendIntro(ffmpeg, drawing, p, one);
    VideoTimeline timeline(drawing, p.pace, p.fps, p.holdFrames, s.delays);
    TCanvas canvas;
    ReplayStretches(
        canvas, p.width, p.height, drawing, p.view,
        [&](std::int32_t start) {
            const VideoTimeline::Stretch next = timeline.next(start);
            frames = next.frames;
            return next.end;
        },
        [&](const TCanvas& c, std::int32_t) {
            const std::size_t bytes = c.bytesPerLine() * static_cast<std::size_t>(c.height());
            for (std::int64_t k = 0; k < frames; ++k) {
                ffmpeg.write(c.bits(), bytes);
                one();
            }
        });
}

} // namespace

VideoSummary MakeVideo(const std::string& in, const std::string& out,
                       const VideoSettings& settings) {
    TAVecImage drawing;
    ReadDrawing(in, drawing);
    RefuseToOverwrite(in, out);
    const bool gif = settings.format == VideoFormat::Gif;
    VideoSummary summary;
    // Before any frame: a narration ffmpeg cannot read ends the run here.
    if (!settings.audio.empty() && !gif) {
        summary.audioSeconds = AudioSeconds(settings.audio);
    }

    const InterruptGuard interrupts;
    TReplaceFile file(out);
    CheckWritten(out, file.result());
    int width = settings.width, height = settings.height, fps = settings.fps;
    VideoSettings trying = settings;
    for (int tries = 1;; ++tries) {
        // A retry under the size limit says so, and at what it tries.
        const std::string attempt =
            tries == 1 ? std::string()
                       : "try " + std::to_string(tries) + " at " + std::to_string(width) + "x" +
                             std::to_string(height) + ", " + std::to_string(fps) + " fps: ";
        const VideoPlan plan = PlanVideo(drawing, trying, width, height, fps, summary.audioSeconds);
        // A smaller try keeps the replay's length, whatever set its pace.
        trying.durationSeconds = std::max(0.1, static_cast<double>(PlayedRecordCount(drawing)) *
                                                   static_cast<double>(plan.pace.frames) /
                                                   static_cast<double>(plan.pace.records) / fps);
        trying.recordsPerFrame = 0;
        trying.speed = 0;
        trying.durationFromAudio = false;
        Progress progress(plan.frames * (gif ? 2 : 1), settings.quiet);
        std::string palette;
        if (gif) {
            FfmpegPipe pass(PaletteArgs(width, height, fps, "pipe:0"), true);
            SendFrames(pass, drawing, settings, plan, progress, 0, attempt + "palette: frame ");
            pass.finish();
            palette = pass.output();
            if (palette.size() != PaletteBytes) {
                Fail("ffmpeg gave no palette for the GIF");
            }
        }
        FfmpegPipe encoder(EncoderArgs(settings.format, width, height, fps, "pipe:0",
                                       "file:" + file.temporary(), gif ? "" : settings.audio),
                           false, palette);
        SendFrames(encoder, drawing, settings, plan, progress, gif ? plan.frames : 0,
                   attempt + "frame ");
        encoder.finish();
        InterruptGuard::check();
        progress.clear();
        struct stat st {};
        summary = {plan.frames,
                   static_cast<double>(plan.pace.records) / static_cast<double>(plan.pace.frames),
                   fps,
                   width,
                   height,
                   ::stat(file.temporary().c_str(), &st) == 0 ? st.st_size : 0,
                   summary.audioSeconds};
        if (!gif || settings.maxBytes <= 0 || summary.bytes <= settings.maxBytes) {
            break;
        }
        if (!NextSmaller(width, height, fps)) {
            Fail("cannot make " + Quoted(out) + " fit in " + std::to_string(settings.maxBytes) +
                 " bytes: the smallest try, " + std::to_string(summary.width) + "x" +
                 std::to_string(summary.height) + " at " + std::to_string(summary.fps) +
                 " frames a second, took " + std::to_string(summary.bytes));
        }
    }
    file.commit();
    CheckWritten(out, file.result());
    return summary;
}

} // namespace vellograph::cli
