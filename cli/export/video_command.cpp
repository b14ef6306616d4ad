// video: the replay as an MP4, WebM or GIF file made by ffmpeg.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/ffmpeg_pipe.h"
#include "cli/export/video_export.h"

#include <cstdio>

namespace vellograph::cli {

namespace {

const char* const Usage =
    "usage: vellograph-cli video IN OUT [--fps N] [--records-per-frame N] [--hold S]\n"
    "                            [--fit | --origin X,Y --scale S --angle A] [--size WxH]\n"
    "                            [--quiet]\n"
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
    "  --hold S       seconds the finished picture stays, 0 to 3600 (default 2)\n"
    "  --fit          fit the drawing's points to the frame, as \"Вписать\" fits the\n"
    "                 screen (instead of --origin, --scale and --angle)\n"
    "  --quiet        no progress\n";

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(
        args, SurfaceOptionNames({"--fps", "--records-per-frame", "--hold"}), {"--fit", "--quiet"});
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
    if (s.fit && (parsed.has("--origin") || parsed.has("--scale") || parsed.has("--angle"))) {
        UsageFail("--fit chooses the view itself; leave out --origin, --scale and --angle");
    }
    const bool gif = s.format == VideoFormat::Gif;
    if (const std::string* v = parsed.value("--fps")) {
        s.fps = static_cast<int>(ParseInteger("--fps", *v, 1, gif ? MaxGifFps : MaxFps));
    }
    if (const std::string* v = parsed.value("--records-per-frame")) {
        s.recordsPerFrame =
            static_cast<std::int32_t>(ParseInteger("--records-per-frame", *v, 1, INT32_MAX));
    }
    if (const std::string* v = parsed.value("--hold")) {
        s.holdSeconds = ParseNumber("--hold", *v, 0, 3600);
    }
    s.quiet = parsed.has("--quiet");
    // A drawing whose name fits an output is a slip of the command line.
    RefuseToOverwrite(in, out, ExitUsage);

    const VideoSummary made = MakeVideo(in, out, s);
    std::printf("%s: %lld frames, %.2f s at %d frames a second, %d records a frame\n", out.c_str(),
                static_cast<long long>(made.frames), static_cast<double>(made.frames) / s.fps,
                s.fps, made.recordsPerFrame);
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
