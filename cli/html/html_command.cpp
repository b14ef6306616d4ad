// html: one self-contained page that replays a drawing in any browser.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/export_replay.h"
#include "cli/html/html_page.h"

#include <cstdint>
#include <string>

namespace vellograph::cli {

namespace {

const char* const Usage =
    "usage: vellograph-cli html IN OUT.html [--size WxH | --fit] [--origin X,Y] [--scale S]\n"
    "                           [--angle A]\n"
    "\n"
    "Writes one HTML file that replays the drawing in any current browser, offline,\n"
    "with nothing beside it: the program's own renderer runs in the page, so after\n"
    "each record the canvas shows exactly the pixels render gives for the records up\n"
    "to it. The page plays and pauses (Space), steps (arrow keys), jumps to the start\n"
    "and end (Home, End) and between slides, the delay records (Page Up, Page Down),\n"
    "goes full screen (F), and fits the drawing to the window or shows it in its own\n"
    "view. Its address #at=K opens it paused after record K; #at=K&bare shows the\n"
    "canvas alone, for embedding. The page is written beside OUT and renamed into place.\n"
    "\n"
    "options:\n";

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(args, SurfaceOptionNames(), {"--fit"});
    if (parsed.positional.size() != 2) {
        UsageFail("want 2 file names, IN and OUT, got " + std::to_string(parsed.positional.size()));
    }
    const bool fit = parsed.has("--fit");
    if (fit && (parsed.has("--origin") || parsed.has("--scale") || parsed.has("--angle"))) {
        UsageFail("--fit chooses the view itself; leave out --origin, --scale and --angle");
    }
    const SurfaceOptions surface = ReadSurfaceOptions(parsed, PageLimits);
    const std::string& in = parsed.positional[0];
    const std::string& out = parsed.positional[1];
    RefuseToOverwrite(in, out, ExitUsage);
    if (!HasPlayer()) {
        Fail("this build of vellograph-cli has no HTML player (built without emscripten)");
    }
    TAVecImage drawing;
    ReadDrawing(in, drawing, ShortFiles::Loaded); // as the program and render load them
    const std::int64_t records = std::int64_t{drawing.LastIndex} + 1;
    if (records > MaxPageRecords) {
        Fail(Quoted(in) + " has " + std::to_string(records) +
             " records, more than a page can carry (at most " + std::to_string(MaxPageRecords) +
             ")");
    }
    PageSettings page;
    page.width = surface.width;
    page.height = surface.height;
    page.view = fit ? FitView(drawing, surface.width, surface.height) : surface.view;
    page.title = in;
    WriteFileReplacing(out, WritePage(drawing, page));
    return ExitOk;
}

} // namespace

int RunHtml(const Args& args) {
    static const std::string usage =
        std::string(Usage) + SurfaceOptionsHelp +
        "  --fit          fit the drawing's points to the surface, as \"Вписать\" fits the\n"
        "                 screen (instead of --origin, --scale and --angle)\n"
        "  (html: at most " +
        std::to_string(MaxPageRecords) + " records,\n         " + PageLimitsHelp + ")\n";
    return RunCommand("html", usage.c_str(), args, Run);
}

} // namespace vellograph::cli
