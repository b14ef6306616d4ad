// svg: a drawing as vector art, still or replaying itself.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/svg_writer.h"

namespace vellograph::cli {

namespace {

// Slower or faster replays make no sense to watch and would push the
// animation's clock values out of any viewer's range.
constexpr double MinRate = 0.01;
constexpr double MaxRate = 1e6;

const char* const Usage =
    "usage: vellograph-cli svg IN OUT.svg [--size WxH] [--origin X,Y] [--scale S] [--angle A]\n"
    "       vellograph-cli svg --animate IN OUT.svg [--rate RECORDS_PER_SECOND] [view options]\n"
    "\n"
    "Writes the drawing as SVG on a white page the size of the surface. Every stroke\n"
    "becomes one polyline with round caps and joins in its colour and scaled pen\n"
    "width, its points mapped through the view as playback maps them. A fill record\n"
    "becomes the region it paints on this surface, as playback floods it from the\n"
    "pixel (1, 1) up to strokes drawn in exactly the colour 0x000001 (#010000 here),\n"
    "traced in whole pixels; --size and --scale therefore change the traced region\n"
    "with the strokes. Records after an end marker are left out.\n"
    "\n"
    "With --animate the file replays the drawing in any browser, without script:\n"
    "stroke by stroke in record order at RECORDS_PER_SECOND (default 300), holding\n"
    "still for each delay record (1 to 10000 ms, as playback) and 10 ms for each fill,\n"
    "then staying on the finished picture.\n"
    "\n"
    "options:\n";

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(args, SurfaceOptionNames({"--rate"}), {"--animate"});
    if (parsed.positional.size() != 2) {
        UsageFail(parsed.positional.size() < 2 ? "needs IN and OUT" : "too many arguments");
    }
    const bool animate = parsed.has("--animate");
    double rate = DefaultRecordsPerSecond;
    if (const std::string* v = parsed.value("--rate")) {
        if (!animate) {
            UsageFail("--rate only applies with --animate");
        }
        rate = ParsePositive("--rate", *v);
        if (rate < MinRate || rate > MaxRate) {
            UsageFail("--rate: records per second go from 0.01 to 1000000");
        }
    }
    const SurfaceOptions surface = ReadSurfaceOptions(parsed);
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];

    TAVecImage drawing;
    ReadDrawing(in, drawing);
    RefuseToOverwrite(in, out);
    const VectorPicture picture =
        TraceDrawingOnSurface(drawing, surface.view, surface.width, surface.height, rate);
    WriteFileReplacing(out, WriteSvg(picture, surface.width, surface.height, animate));
    return ExitOk;
}

} // namespace

int RunSvg(const Args& args) {
    static const std::string usage =
        std::string(Usage) + SurfaceOptionsHelp +
        "  --animate      replay the drawing instead of a still picture\n"
        "  --rate R       records per second of the replay, 0.01 to 1000000 (default 300)\n";
    return RunCommand("svg", usage.c_str(), args, Run);
}

} // namespace vellograph::cli
