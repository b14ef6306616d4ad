// thumbnail: a small preview of a drawing, for file managers.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/export_replay.h"
#include "engine/playback/fit.h"

#include <algorithm>

namespace vellograph::cli {

namespace {

const char* const Usage =
    "usage: vellograph-cli thumbnail IN OUT.png SIZE\n"
    "\n"
    "Writes a SIZE x SIZE PNG (SIZE from 1 to 16384) of the drawing fitted into the\n"
    "square as \"Вписать\" fits it to the screen: no rotation, proportions kept, the\n"
    "points' box filling the square along its tighter direction and centred along the\n"
    "other, on white. A drawing with a single point shows it at scale 1 in the middle;\n"
    "one without points gives a white square. Records after an end marker are left\n"
    "out. File managers call it through the installed vellograph.thumbnailer entry.\n";

int Run(const Args& args) {
    const ParsedArgs parsed = SplitArgs(args, {});
    if (parsed.positional.size() != 3) {
        UsageFail(parsed.positional.size() < 3 ? "needs IN, OUT and SIZE" : "too many arguments");
    }
    const int size =
        static_cast<int>(ParseInteger("SIZE", parsed.positional[2], 1, MaxSurfaceSide));
    MakeThumbnail(parsed.positional[0], parsed.positional[1], size);
    return ExitOk;
}

} // namespace

TViewParams ThumbnailView(const TAVecImage& drawing, int size) {
    return FitView(drawing, size, size);
}

TViewParams FitView(const TAVecImage& drawing, int width, int height) {
    TViewParams view = DefaultView;
    TPointBox box;
    const std::int32_t played = PlayedRecordCount(drawing);
    for (std::int32_t i = 0; i < played; ++i) {
        box.add(drawing.Commands[static_cast<std::size_t>(i)]);
    }
    if (!box.any) {
        return view;
    }
    const int lastX = std::max(width - 1, 1);
    const int lastY = std::max(height - 1, 1);
    const double scale = box.fitScale(lastX, lastY);
    if (scale == 0.0) {
        view.OriginX = TruncToInt32(width / 2 - static_cast<double>(box.minX));
        view.OriginY = TruncToInt32(height / 2 - static_cast<double>(box.minY));
        return view;
    }
    view.Scale = scale;
    // Spans in double: a hostile box can be wider than 32 bits hold.
    const double spanX = (static_cast<double>(box.maxX) - box.minX) * scale;
    const double spanY = (static_cast<double>(box.maxY) - box.minY) * scale;
    view.OriginX = TruncToInt32(-box.minX * scale) + TruncToInt32((lastX - spanX) / 2);
    view.OriginY = TruncToInt32(-box.minY * scale) + TruncToInt32((lastY - spanY) / 2);
    return view;
}

void MakeThumbnail(const std::string& in, const std::string& out, int size) {
    TAVecImage drawing;
    ReadDrawing(in, drawing);
    RefuseToOverwrite(in, out);
    TCanvas canvas;
    RenderPicture(canvas, size, size, drawing, ThumbnailView(drawing, size));
    WriteFileReplacing(out, EncodePng(canvas));
}

int RunThumbnail(const Args& args) {
    return RunCommand("thumbnail", Usage, args, Run);
}

} // namespace vellograph::cli
