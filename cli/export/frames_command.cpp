// frames: the replay as numbered PNG pictures, for a timelapse video.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/export_replay.h"
#include "cli/export/progress.h"
#include "engine/playback/render.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace vellograph::cli {

namespace {

const char* const Usage =
    "usage: vellograph-cli frames IN DIR [--every N] [--size WxH] [--origin X,Y] [--scale S]\n"
    "                             [--angle A] [--quiet]\n"
    "\n"
    "Replays the drawing and writes a picture every N records (default 64, the pace\n"
    "of playing to the end) and one of the finished drawing, as DIR/frame_000000.png,\n"
    "frame_000001.png and so on; DIR is created when missing. Frames of an earlier,\n"
    "longer run that would continue the numbering are removed. Delay records do not\n"
    "wait. Prints the ffmpeg command line that makes a video of the frames (the\n"
    "video command makes one at once). While it runs, standard error shows the\n"
    "progress when it is a terminal.\n"
    "\n"
    "options:\n"
    "  --every N      records between two frames, 1 or more (default 64)\n"
    "  --quiet        no progress\n";

std::string FramePrefix(const std::string& dir) {
    return dir + (dir.back() == '/' ? "" : "/") + "frame_";
}

std::string FramePath(const std::string& dir, std::int64_t index) {
    char number[24];
    std::snprintf(number, sizeof number, "%06lld.png", static_cast<long long>(index));
    return FramePrefix(dir) + number;
}

// Single quotes for a POSIX shell.
std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// A literal '%' in ffmpeg's file name pattern is written "%%".
std::string PatternEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '%' ? std::string("%%") : std::string(1, c);
    }
    return out;
}

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(args, SurfaceOptionNames({"--every"}), {"--quiet"});
    if (parsed.positional.size() != 2) {
        UsageFail(parsed.positional.size() < 2 ? "needs IN and DIR" : "too many arguments");
    }
    std::int32_t every = PaceToEnd;
    if (const std::string* v = parsed.value("--every")) {
        every = static_cast<std::int32_t>(ParseInteger("--every", *v, 1, INT32_MAX));
    }
    const SurfaceOptions surface = ReadSurfaceOptions(parsed);
    const std::string& in = parsed.positional[0];
    const std::string& dir = parsed.positional[1];

    TAVecImage drawing;
    ReadDrawing(in, drawing);
    EnsureDirectory(dir);
    TCanvas canvas;
    std::int64_t written = 0;
    const std::int32_t played = PlayedRecordCount(drawing);
    const std::int64_t total = played == 0 ? 1 : (std::int64_t{played} + every - 1) / every;
    const std::string of = "/" + std::to_string(total);
    Progress progress(total, parsed.has("--quiet"));
    Replay(canvas, surface.width, surface.height, drawing, surface.view, every,
           [&](const TCanvas& c, std::int32_t) {
               const std::string path = FramePath(dir, written);
               RefuseToOverwrite(in, path);
               WriteFileReplacing(path, EncodePng(c));
               ++written;
               progress.update(written, "frame " + std::to_string(written) + of);
           });
    progress.clear();
    // A video tool reads frames until the numbering breaks, so leftovers from
    // a longer run would end up in this replay's video.
    struct stat st {};
    for (std::int64_t k = written; ::lstat(FramePath(dir, k).c_str(), &st) == 0; ++k) {
        if (!S_ISREG(st.st_mode) || ::unlink(FramePath(dir, k).c_str()) != 0) {
            Fail("cannot remove the old frame " + Quoted(FramePath(dir, k)) +
                 "; the frames written before it are this drawing's");
        }
    }
    std::printf("%lld frames written to %s; to make a video of them:\n",
                static_cast<long long>(written), dir.c_str());
    std::printf("ffmpeg -framerate 30 -i %s -vf 'pad=ceil(iw/2)*2:ceil(ih/2)*2' -c:v libx264 "
                "-pix_fmt yuv420p replay.mp4\n",
                ShellQuoted(PatternEscaped(FramePrefix(dir)) + "%06d.png").c_str());
    return ExitOk;
}

} // namespace

int RunFrames(const Args& args) {
    static const std::string usage = std::string(Usage) + SurfaceOptionsHelp;
    return RunCommand("frames", usage.c_str(), args, Run);
}

} // namespace vellograph::cli
