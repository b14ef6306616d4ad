// Vector export against the raster replay, the animation's clock, and the command.
#include "cli_common.h"
#include "export_replay.h"
#include "export_test_support.h"
#include "svg_test_parse.h"
#include "svg_writer.h"

#include <algorithm>
#include <cmath>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::testing;

namespace {

double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / len2, 0.0, 1.0) : 0;
    return std::hypot(px - ax - t * dx, py - ay - t * dy);
}

} // namespace

TEST(SvgGeometry, AgreesWithTheRasterReplayUpToAntiAliasing) {
    TAVecImage d = MakeDrawing({P(1), M(20, 20), L(200, 30), L(210, 150), L(215, 152), P(5),
                                C(0x0000FF), M(30, 160), L(120, 100), L(250, 170), P(7),
                                C(0xFF0000), M(60, 60), L(61, 140), L(150, 70)});
    const TViewParams view{0, 0, 40, 30, 0.3, 0.8};
    TCanvas canvas;
    RenderPicture(canvas, 320, 240, d, view);
    const VectorPicture pic = TraceDrawing(d, view);
    ASSERT_EQ(pic.elements.size(), 3u);
    for (const VectorElement& e : pic.elements) {
        // A 1-pixel line leaves its end point out; vector strokes do not.
        const std::size_t n = e.points.size() - (e.width == 1 ? 1 : 0);
        for (std::size_t k = 0; k < n; ++k) {
            EXPECT_NE(canvas.pixel(e.points[k].x, e.points[k].y), 0xFFFFFFu)
                << "vertex " << k << " of the width-" << e.width << " stroke";
        }
    }
    // Every painted pixel lies under a stroke of its colour.
    int painted = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const TColor c = canvas.pixel(x, y);
            if (c == 0xFFFFFF) {
                continue;
            }
            ++painted;
            double nearest = 1e9;
            for (const VectorElement& e : pic.elements) {
                const double off = e.width % 2 ? 0.5 : 0.0; // as the SVG places it
                for (std::size_t k = 1; e.color == c && k < e.points.size(); ++k) {
                    nearest = std::min(nearest,
                                       SegmentDistance(x + 0.5, y + 0.5, e.points[k - 1].x + off,
                                                       e.points[k - 1].y + off, e.points[k].x + off,
                                                       e.points[k].y + off) -
                                           e.width / 2.0);
                }
            }
            ASSERT_LE(nearest, 1.0) << "pixel " << x << "," << y;
        }
    }
    EXPECT_GT(painted, 1000);
}

TEST(SvgAnimation, LastsRecordsOverRatePlusDelaysAndFills) {
    // Delays of 0 and 12000 are clamped to 1 and 10000 ms, as playback clamps them.
    const TAVecImage d = MakeDrawing({M(1, 1), L(30, 30), L(60, 10), D(0), C(0xFF), L(90, 40),
                                      D(12000), D(250), E(0x00FF00), M(5, 5), L(9, 9), L(100, 9)});
    const double rate = 50;
    const double total = 12 / rate + (1 + 10000 + 250 + 10) / 1000.0;
    const VectorPicture pic = TraceDrawing(d, DefaultView, rate);
    EXPECT_NEAR(pic.duration, total, 1e-9);
    const std::vector<SvgElement> svg = ParseSvg(WriteSvg(pic, 200, 100, true));
    double end = 0, lastShown = 0;
    for (const SvgElement& e : svg) {
        if (e.name == "desc") {
            EXPECT_NE(e.text.find("10.501 s"), std::string::npos) << e.text;
        }
        if (e.name != "polyline" && !(e.name == "rect" && e.shownAt >= 0)) {
            continue;
        }
        ASSERT_GE(e.shownAt, 0) << "every element waits for its time";
        EXPECT_GE(e.shownAt, lastShown) << "shown in record order";
        lastShown = e.shownAt;
        end = std::max({end, e.shownAt, e.animEnd});
        if (e.name == "polyline") {
            EXPECT_EQ(e.keyTimes, e.points.size());
        }
    }
    // The last record is a line, so the replay ends exactly when it is drawn.
    EXPECT_NEAR(end, total, 2e-4);
}

TEST(SvgCommand, WritesAFileOrNothing) {
    TempDir dir;
    WriteDrawing(dir / "in.vlgf", {M(1, 1), L(30, 30), D(100)});
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunSvg({"--animate", dir / "in.vlgf", dir / "a.svg"}), ExitOk);
    EXPECT_EQ(RunSvg({dir / "in.vlgf", dir / "s.svg", "--scale", "2", "--size", "90x80"}), ExitOk);
    EXPECT_EQ(RunSvg({dir / "in.vlgf", dir / "x.svg", "--rate", "5"}), ExitUsage);
    EXPECT_EQ(RunSvg({dir / "in.vlgf"}), ExitUsage);
    EXPECT_EQ(RunSvg({dir / "missing.vlgf", dir / "y.svg"}), ExitFailure);
    EXPECT_EQ(RunSvg({dir / "in.vlgf", dir / "in.vlgf"}), ExitFailure);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"a.svg", "in.vlgf", "s.svg"}));
    const auto animated = ParseSvg(ReadBytes(dir / "a.svg"));
    ASSERT_EQ(animated[1].name, "desc");
    EXPECT_EQ(animated[1].text, "Replay of 3 records, 0.11 s in all."); // 3 / 300 + 0.1
    const auto still = ParseSvg(ReadBytes(dir / "s.svg"));
    EXPECT_EQ(still[0].attr.at("width"), "90");
    EXPECT_EQ(still[3].points, (std::vector<TPoint>{{2, 2}, {60, 60}}));
    EXPECT_EQ(ReadBytes(dir / "in.vlgf").substr(0, 5), "W1251");
}
