// Fills in SVG: the region playback's flood paints, traced from the raster,
// and the example house as an SVG viewer shows it.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/export_replay.h"
#include "cli/export/svg_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_records.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::test;

namespace {
const TColor Red = 0x0000FF, Green = 0x00FF00;
} // namespace

TEST(SvgFills, AFillIsTheRegionItFloodsUpToTheBorderColour) {
    // A closed square in 0x000001 keeps the fill out of its inside.
    TAVecImage d = MakeDrawing({Color(0x000001), Width(1), Move(10, 10), Line(20, 10), Line(20, 20),
                                Line(10, 20), Line(10, 10), Fill(Red), Fill(Green)});
    const VectorPicture pic = TraceDrawingOnSurface(d, DefaultView, 40, 30, 100);
    TCanvas canvas;
    RenderPicture(canvas, 40, 30, d, DefaultView);
    std::vector<PixelBlock> inside = {{11, 11, 9, 9}}, want = BlocksOfColor(canvas, Green);
    EXPECT_EQ(BlocksOfColor(canvas, 0xFFFFFF), inside);
    ASSERT_EQ(pic.elements.size(), 3u);
    EXPECT_EQ(pic.elements[1].region, want);
    EXPECT_EQ(pic.elements[2].region, want);
    // Rows that span the same columns merge: above, beside and below the square.
    EXPECT_EQ(want.size(), 4u);
    const std::string svg = WriteSvg(pic, 40, 30, false);
    EXPECT_NE(svg.find("<path shape-rendering=\"crispEdges\" fill=\"#00ff00\" d=\"M0 0h40v10h-40z"),
              std::string::npos);
}

// The example house, its outline in the border colour, as rsvg-convert shows
// it: within 2% of render's pixels at ImageMagick's 25% colour fuzz.
TEST(SvgFills, TheHouseLooksAsRenderedInAnSvgViewer) {
    if (std::system("command -v rsvg-convert >/dev/null") != 0) {
        GTEST_SKIP() << "no rsvg-convert";
    }
    TempDir dir;
    TAVecImage house;
    ReadDrawing(VELLOGRAPH_EXAMPLES "/house.vlgf", house);
    for (const char* size : {"1366x768", "600x500"}) {
        SCOPED_TRACE(size);
        TCanvas canvas;
        const SurfaceOptions surface = ReadSurfaceOptions(SplitArgs(
            {"--size", size, "--scale", "0.7", "--origin", "40,60"}, SurfaceOptionNames()));
        RenderPicture(canvas, surface.width, surface.height, house, surface.view);
        for (bool animate : {false, true}) {
            const std::string svg = dir.file("h.svg"), png = dir.file("h.png");
            std::vector<std::string> args = {VELLOGRAPH_EXAMPLES "/house.vlgf",
                                             svg,
                                             "--size",
                                             size,
                                             "--scale",
                                             "0.7",
                                             "--origin",
                                             "40,60"};
            if (animate) {
                args.insert(args.begin(), "--animate");
            }
            ASSERT_EQ(RunSvg(args), ExitOk);
            ASSERT_EQ(std::system(("rsvg-convert -b white '" + svg + "' -o '" + png + "'").c_str()),
                      0);
            const QImage shown =
                QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(shown.width(), canvas.width());
            ASSERT_EQ(shown.height(), canvas.height());
            int differ = 0;
            for (int y = 0; y < canvas.height(); ++y) {
                for (int x = 0; x < canvas.width(); ++x) {
                    const QRgb a = shown.pixel(x, y),
                               b = canvas.bits()[std::size_t(y) * canvas.width() + x];
                    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b),
                              db = qBlue(a) - qBlue(b);
                    differ += std::sqrt((dr * dr + dg * dg + db * db) / 3.0) > 0.25 * 255;
                }
            }
            EXPECT_LT(differ, canvas.width() * canvas.height() / 50) << "animated " << animate;
        }
    }
}
