// video: the replay as an MP4, WebM or GIF file made by ffmpeg.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/ffmpeg_pipe.h"
#include "cli/export/video_export.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace vellograph::cli {

namespace {

const char* const Usage =
    "usage: vellograph-cli video IN OUT [--fps N] [--records-per-frame N | --duration S |\n"
    "                            --duration audio | --speed X] [--delays keep|shorten:S|skip]\n"
    "                            [--intro S] [--hold S] [--audio FILE] [--max-bytes N]\n"
    "                            [--frame square|portrait|landscape | --size WxH]\n"
    "                            [--fit | --origin X,Y --scale S --angle A] [--quiet]\n"
    "\n"
    "Replays the drawing into a video: OUT ending in .mp4 (H.264, plays everywhere),\n"
    ".webm (VP9) or .gif (a palette made from the frames, looping). A frame shows\n"
    "the picture after every N records, counted from the first; delay records hold\n"
    "the picture for their time (1 to 10000 ms) and fills for 10 ms, as playback\n"
    "does, an end marker ends the replay, and the finished picture is held at the\n"
    "end. An MP4 of odd width or height gets one white column or row more.\n"
    "\n"
    "The frames go to ffmpeg, which must be on PATH, through a pipe, never all in\n"
    "memory or on disk. The video is written beside OUT and renamed into place: a\n"
    "failed or interrupted run leaves no file. While it runs, standard error shows\n"
    "the progress when it is a terminal.\n"
    "\n"
    "options:\n"
    "  --fps N        frames per second, 1 to 120, for a GIF 1 to 50 (default 30)\n"
    "  --records-per-frame N\n"
    "                 records between two frames (default: the strokes take about\n"
    "                 20 seconds, delays and the hold aside; at least 1)\n"
    "  --duration S   the strokes take S seconds (0.1 to 36000), delays, intro and\n"
    "                 hold aside; \"audio\": the whole video lasts as long as --audio\n"
    "  --speed X      X times the default records per frame (0.01 to 10000)\n"
    "  --delays keep|shorten:S|skip\n"
    "                 delay records hold for their time (default), for at most S\n"
    "                 seconds each, or not at all\n"
    "  --intro S      the finished picture for S seconds first (0 to 3600), ending\n"
    "                 in a short fade to the white the replay starts from\n"
    "  --hold S       seconds the finished picture stays, 0 to 3600 (default 2)\n"
    "  --audio FILE   mix in a narration: AAC in MP4, Opus in WebM; the finished\n"
    "                 picture stays until it ends\n"
    "  --max-bytes N  GIF: lower the frame rate, then the size, until the file fits\n"
    "                 in N bytes, and say what was chosen\n"
    "  --frame square|portrait|landscape\n"
    "                 a 1080x1080, 1080x1920 or 1920x1080 frame with the drawing\n"
    "                 fitted inside, as --fit does (instead of --size)\n"
    "  --fit          fit the drawing's points to the frame, as \"Вписать\" fits the\n"
    "                 screen (instead of --origin, --scale and --angle)\n"
    "  --quiet        no progress\n";

DelayRule ReadDelays(const std::string& text) {
    if (text == "keep") {
        return {};
    }
    if (text == "skip") {
        return {DelayRule::Skip, 0};
    }
    if (text.rfind("shorten:", 0) == 0) {
        const double seconds = ParseNumber("--delays shorten", text.substr(8), 0, 10);
        return {DelayRule::Shorten, static_cast<std::int32_t>(std::lround(seconds * 1000))};
    }
    UsageFail("bad --delays " + Quoted(text) + ": keep, shorten:SECONDS or skip");
}

void ReadFrame(const std::string& text, VideoSettings& s) {
    const struct {
        const char* name;
        int width, height;
    } frames[] = {{"square", 1080, 1080}, {"portrait", 1080, 1920}, {"landscape", 1920, 1080}};
    for (const auto& f : frames) {
        if (text == f.name) {
            s.width = f.width;
            s.height = f.height;
            s.fit = true;
            return;
        }
    }
    UsageFail("bad --frame " + Quoted(text) + ": square, portrait or landscape");
}

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(
        args,
        SurfaceOptionNames({"--fps", "--records-per-frame", "--hold", "--duration", "--speed",
                            "--delays", "--intro", "--audio", "--max-bytes", "--frame"}),
        {"--fit", "--quiet"});
    if (parsed.positional.size() != 2) {
        UsageFail(parsed.positional.size() < 2 ? "needs IN and OUT" : "too many arguments");
    }
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];
    VideoSettings s;
    if (!VideoFormatOf(out, s.format)) {
        UsageFail("output " + Quoted(out) + " must end in .mp4, .webm or .gif");
    }
    const SurfaceOptions surface = ReadSurfaceOptions(parsed, PictureLimits);
    s.width = surface.width;
    s.height = surface.height;
    s.view = surface.view;
    s.fit = parsed.has("--fit");
    if (const std::string* v = parsed.value("--frame")) {
        if (parsed.has("--size")) {
            UsageFail("--frame sets the size itself; leave out --size");
        }
        ReadFrame(*v, s);
    }
    if (s.fit && (parsed.has("--origin") || parsed.has("--scale") || parsed.has("--angle"))) {
        UsageFail(std::string(parsed.has("--frame") ? "--frame" : "--fit") +
                  " chooses the view itself; leave out --origin, --scale and --angle");
    }
    const bool gif = s.format == VideoFormat::Gif;
    if (const std::string* v = parsed.value("--fps")) {
        s.fps = static_cast<int>(ParseInteger("--fps", *v, 1, gif ? MaxGifFps : MaxFps));
    }
    const int paces =
        parsed.has("--records-per-frame") + parsed.has("--duration") + parsed.has("--speed");
    if (paces > 1) {
        UsageFail("--records-per-frame, --duration and --speed each set the pace; give one");
    }
    if (const std::string* v = parsed.value("--records-per-frame")) {
        s.recordsPerFrame =
            static_cast<std::int32_t>(ParseInteger("--records-per-frame", *v, 1, INT32_MAX));
    }
    if (const std::string* v = parsed.value("--duration")) {
        s.durationFromAudio = *v == "audio";
        if (!s.durationFromAudio) {
            s.durationSeconds = ParseNumber("--duration", *v, 0.1, 36000);
        }
    }
    if (const std::string* v = parsed.value("--speed")) {
        s.speed = ParseNumber("--speed", *v, 0.01, 10000);
    }
    if (const std::string* v = parsed.value("--delays")) {
        s.delays = ReadDelays(*v);
    }
    if (const std::string* v = parsed.value("--intro")) {
        s.introSeconds = ParseNumber("--intro", *v, 0, 3600);
    }
    if (const std::string* v = parsed.value("--hold")) {
        s.holdSeconds = ParseNumber("--hold", *v, 0, 3600);
    }
    if (const std::string* v = parsed.value("--audio")) {
        if (gif) {
            UsageFail("a GIF has no sound; --audio needs OUT ending in .mp4 or .webm");
        }
        s.audio = *v;
    }
    if (s.durationFromAudio && s.audio.empty()) {
        UsageFail("--duration audio fits the replay to --audio FILE; give one");
    }
    if (const std::string* v = parsed.value("--max-bytes")) {
        if (!gif) {
            UsageFail("--max-bytes only applies to a GIF");
        }
        s.maxBytes = ParseInteger("--max-bytes", *v, 1, INT64_MAX);
    }
    s.quiet = parsed.has("--quiet");
    // A drawing whose name fits an output is a slip of the command line.
    RefuseToOverwrite(in, out, ExitUsage);

    const VideoSummary made = MakeVideo(in, out, s);
    std::printf("%s: %lld frames, %.2f s at %d frames a second, %.4g records a frame, %dx%d",
                out.c_str(), static_cast<long long>(made.frames),
                FramesSeconds(made.frames, made.fps), made.fps, made.recordsPerFrame, made.width,
                made.height);
    if (s.maxBytes > 0) {
        std::printf(", %lld bytes (at most %lld asked)", static_cast<long long>(made.bytes),
                    static_cast<long long>(s.maxBytes));
    }
    if (made.audioSeconds > 0) {
        std::printf(", with %.2f s of sound", made.audioSeconds);
    }
    std::printf("\n");
    return ExitOk;
}

} // namespace

int RunVideo(const Args& args) {
    static const std::string usage =
        std::string(Usage) + SurfaceOptionsHelp + "  (" + PictureLimitsHelp + ")\n";
    try {
        return RunCommand("video", usage.c_str(), args, Run);
    } catch (const Interrupted& stop) {
        // Everything is cleaned up by now; end as the signal would have.
        std::fflush(stdout);
        InterruptGuard::raiseDefault(stop.signal);
    }
}

} // namespace vellograph::cli
