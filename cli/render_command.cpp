// render: play a drawing onto a white surface and write the picture.
#include "bitmap_file.h"
#include "cli_common.h"
#include "commands.h"
#include "export_replay.h"

#include <algorithm>
#include <new>
#include <string_view>

namespace vellograph::cli {

namespace {

// A surface of 2^27 pixels takes 512 MiB; the scale keeps pen widths and
// coordinates within what a surface can show.
constexpr SurfaceLimits RenderLimits{std::int64_t{1} << 27, 1000.0};

const char* const Usage =
    "usage: vellograph-cli render IN OUT [--size WxH] [--origin X,Y] [--scale S] [--angle A]\n"
    "\n"
    "Plays the whole drawing onto a white surface, as \"Перерисовать\" does, and writes\n"
    "the picture as a 24-bit Windows bitmap (OUT ending in .bmp) or a PNG (.png). Delay\n"
    "records do not wait. The picture is written beside OUT and renamed into place.\n"
    "\n"
    "options:\n";

bool EndsWith(const std::string& text, std::string_view tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    std::string end = text.substr(text.size() - tail.size());
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(c | 0x20); });
    return end == tail;
}

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(args, SurfaceOptionNames());
    if (parsed.positional.size() != 2) {
        UsageFail("want 2 file names, IN and OUT, got " + std::to_string(parsed.positional.size()));
    }
    const SurfaceOptions surface = ReadSurfaceOptions(parsed, RenderLimits);
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];
    const bool png = EndsWith(out, ".png");
    if (!png && !EndsWith(out, ".bmp")) {
        UsageFail("output " + Quoted(out) + " must end in .bmp or .png");
    }
    // A drawing whose name fits an output is a slip of the command line.
    RefuseToOverwrite(in, out, ExitUsage);
    TAVecImage drawing;
    ReadDrawing(in, drawing, ShortFiles::Loaded); // as the program loads them

    TCanvas canvas;
    try {
        RenderPicture(canvas, surface.width, surface.height, drawing, surface.view);
    } catch (const std::bad_alloc&) {
        Fail("not enough memory for a " + std::to_string(surface.width) + "x" +
             std::to_string(surface.height) + " surface and the drawing");
    }
    if (png) {
        WriteFileReplacing(out, EncodePng(canvas));
    } else {
        CheckWritten(out, SaveBitmapFile(canvas, out));
    }
    return ExitOk;
}

} // namespace

int RunRender(const Args& args) {
    static const std::string usage =
        std::string(Usage) + SurfaceOptionsHelp +
        "  (render: at most 134217728 pixels in all, and a scale of at most 1000)\n";
    return RunGuarded("render", usage.c_str(), args, Run, Report::OneLine);
}

} // namespace vellograph::cli
