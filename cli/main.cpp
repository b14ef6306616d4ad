// vellograph-cli: inspect, convert and render drawings without a display.
#include "cli/commands.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Command {
    const char* name;
    int (*run)(const vellograph::cli::Args&);
    const char* help;
};

const Command commands[] = {
    {"info", vellograph::cli::RunInfo,
     "info FILE            header, record count and a count per kind"},
    {"dump", vellograph::cli::RunDump, "dump FILE            every record in force, one per line"},
    {"resave", vellograph::cli::RunResave, "resave IN OUT        load IN and save it to OUT"},
    {"render", vellograph::cli::RunRender,
     "render IN OUT [--size WxH] [--origin X,Y] [--scale S] [--angle A]\n"
     "                     play the drawing onto a white surface; OUT is .bmp or .png"},
    {"svg", vellograph::cli::RunSvg,
     "svg [--animate] IN OUT.svg [--rate R] [view options]\n"
     "                     the drawing as vector art, or replaying itself; a fill is\n"
     "                     the region it paints, strokes stay vector"},
    {"frames", vellograph::cli::RunFrames,
     "frames IN DIR [--every N] [view options]\n"
     "                     the replay as numbered PNG frames for a timelapse video"},
    {"video", vellograph::cli::RunVideo,
     "video IN OUT [--duration S] [--frame F] [--audio FILE] [more: video --help]\n"
     "                     the replay as a video made with ffmpeg; OUT is .mp4, .webm\n"
     "                     or .gif: pace, delays, intro, framing, narration, size limit"},
    {"slides", vellograph::cli::RunSlides,
     "slides IN OUT [--svg] [view options]\n"
     "                     the steps between delay records as PNG or SVG pictures in\n"
     "                     the folder OUT, or as a handout when OUT ends in .pdf"},
    {"thumbnail", vellograph::cli::RunThumbnail,
     "thumbnail IN OUT.png SIZE\n"
     "                     the drawing fitted into a SIZE x SIZE square, for file managers"},
    {"html", vellograph::cli::RunHtml,
     "html IN OUT.html [--size WxH | --fit] [view options]\n"
     "                     one self-contained page replaying the drawing in a browser"},
};

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: vellograph-cli COMMAND ARGS...\n\ncommands:\n");
    for (const Command& c : commands) {
        std::fprintf(out, "  %s\n", c.help);
    }
    std::fprintf(out,
                 "\nview options: --size WxH --origin X,Y --scale S --angle A, as for render.\n"
                 "svg, frames, video, slides, thumbnail and html explain themselves with --help.\n");
    std::fprintf(out, "\nExit status: 0 success, 1 load/save/render failure, 2 usage error.\n"
                      "Messages the window would show in a box go to standard error.\n"
                      "'vellograph-cli COMMAND --help' explains one command.\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        PrintUsage(stderr);
        return vellograph::cli::ExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintUsage(stdout);
        return vellograph::cli::ExitOk;
    }
    for (const Command& c : commands) {
        if (name == c.name) {
            return c.run(vellograph::cli::Args(argv + 2, argv + argc));
        }
    }
    std::fprintf(stderr, "vellograph-cli: unknown command '%s' (see 'vellograph-cli --help')\n",
                 name.c_str());
    return vellograph::cli::ExitUsage;
}
