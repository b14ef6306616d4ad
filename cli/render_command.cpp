// render: play a drawing onto a white surface and write the picture.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/export_replay.h"
#include "engine/raster/bitmap_file.h"

#include <algorithm>
#include <new>
#include <string_view>

namespace vellograph::cli {

namespace {

const char* const Usage =
    "usage: vellograph-cli render IN OUT [--size WxH] [--origin X,Y] [--scale S] [--angle A]\n"
    "\n"
    "Plays the whole drawing onto a white surface, as \"Перерисовать\" does, and writes\n"
    "the picture as a 24-bit Windows bitmap (OUT ending in .bmp) or a PNG (.png). Delay\n"
    "records do not wait. The picture is written beside OUT and renamed into place.\n"
    "\n"
    "options:\n";

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(args, SurfaceOptionNames());
    if (parsed.positional.size() != 2) {
        UsageFail("want 2 file names, IN and OUT, got " + std::to_string(parsed.positional.size()));
    }
    const SurfaceOptions surface = ReadSurfaceOptions(parsed, PictureLimits);
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];
    const bool png = EndsWithNoCase(out, ".png");
    if (!png && !EndsWithNoCase(out, ".bmp")) {
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
        std::string(Usage) + SurfaceOptionsHelp + "  (render: " + PictureLimitsHelp + ")\n";
    return RunCommand("render", usage.c_str(), args, Run);
}

} // namespace vellograph::cli
