// Vector export: playback's stroke rules, XML that parses back to the mapped
// points, geometry that matches the raster replay, and the animation's clock.
#include "cli/commands.h"
#include "cli/export/export_replay.h"
#include "cli/export/svg_writer.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"
#include "tests/support/test_records.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::test;

namespace {

struct SvgElement {
    std::string name, text;
    std::map<std::string, std::string> attr;
    std::vector<TPoint> points;
    double shownAt = -1, animEnd = -1; // from its <set> and its <animate>
};

// Fails the test on XML that is not well-formed.
std::vector<SvgElement> ParseSvg(const std::string& svg) {
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    std::vector<SvgElement> out;
    auto seconds = [](QStringView s) { return s.chopped(1).toDouble(); }; // "1.5s"
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const auto a = xml.attributes();
        if (xml.name() == u"set") {
            EXPECT_EQ(a.value("to"), u"hidden"); // until its time
            out.back().shownAt = seconds(a.value("end"));
        } else if (xml.name() == u"animate") {
            out.back().animEnd = seconds(a.value("begin")) + seconds(a.value("dur"));
            EXPECT_EQ(a.value("keyTimes").split(u';').size(), out.back().points.size());
        } else {
            SvgElement& e = out.emplace_back();
            e.name = xml.name().toString().toStdString();
            for (const auto& at : a) {
                e.attr[at.name().toString().toStdString()] = at.value().toString().toStdString();
            }
            for (const auto& p : a.value("points").split(u' ', Qt::SkipEmptyParts)) {
                e.points.push_back({p.split(u',')[0].toInt(), p.split(u',')[1].toInt()});
            }
            if (e.name == "desc") {
                e.text = xml.readElementText().toStdString();
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return out;
}

const TColor Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000;

} // namespace

TEST(SvgTrace, FollowsPlaybackRulesForStrokesWidthsAndTheEnd) {
    TDrawCommand notEnd = MakeEndMarker();
    notEnd.Digits[2] = 'X';
    const TAVecImage d =
        MakeDrawing({Line(10, 10), Color(Red), Line(20, 10), Width(0), Line(20, 20), Move(5, 5),
                     Line(6, 6), Width(200), Line(7, 7), Fill(Green), Delay(0), Line(8, 8), notEnd,
                     MakeEndMarker(), Line(99, 99)});
    const VectorPicture pic = TraceDrawing(d, DefaultView, 100);
    const struct {
        TColor color;
        int width; // 0 for a fill
        std::vector<TPoint> points;
        std::vector<double> times;
    } want[] = {
        // An "l" with no "m" before it starts at the pen's start, (0, 0).
        {0, 2, {{0, 0}, {10, 10}}, {0, 0.01}},
        // A new colour starts a new stroke where the pen is; "p0" means 2.
        {Red, 2, {{10, 10}, {20, 10}, {20, 20}}, {0.02, 0.03, 0.05}},
        {Red, 2, {{5, 5}, {6, 6}}, {0.06, 0.07}},
        {Red, 128, {{6, 6}, {7, 7}}, {0.08, 0.09}}, // 200 gives 128
        {Green, 0, {}, {0.10}},
        // After 10 ms for the fill and 1 ms for the delay of 0.
        {Red, 128, {{7, 7}, {8, 8}}, {0.121, 0.131}},
    };
    ASSERT_EQ(pic.elements.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        const VectorElement& e = pic.elements[i];
        EXPECT_EQ(e.kind, want[i].width ? VectorElement::Stroke : VectorElement::Fill) << i;
        EXPECT_EQ(e.color, want[i].color) << i;
        EXPECT_EQ(e.width, want[i].width ? want[i].width : 1) << i;
        EXPECT_EQ(e.points, want[i].points) << i;
        ASSERT_EQ(e.times.size(), want[i].times.size()) << i;
        for (std::size_t k = 0; k < e.times.size(); ++k) {
            EXPECT_NEAR(e.times[k], want[i].times[k], 1e-9) << i << "," << k;
        }
    }
    EXPECT_EQ(pic.records, 13); // the end marker and what follows it are out
    EXPECT_NEAR(pic.duration, 0.13 + 0.011, 1e-9);
}

TEST(SvgWrite, ParsesBackWithTheRecordsMappedPointsAndColours) {
    const TAVecImage d =
        MakeDrawing({Move(5, 5), Line(50, 5), Line(50, 40), Color(Blue), Width(5), Line(10, 40),
                     Fill(Red), Color(0x000001), Move(1, 1), Line(2, 3)});
    const TViewParams view{0, 0, 7, -3, 0.4, 1.7};
    auto map = [&](int x, int y) { return MapToScreen(x, y, view); };
    const struct {
        std::string name, colour, width; // colour of the stroke, or of the fill
        std::vector<TPoint> points;
    } want[] = {{"rect", "#ffffff", "", {}}, // the page
                {"polyline", "#000000", "3", {map(5, 5), map(50, 5), map(50, 40)}},
                {"polyline", "#0000ff", "8", {map(50, 40), map(10, 40)}},
                {"rect", "#ff0000", "", {}},
                {"polyline", "#010000", "8", {map(1, 1), map(2, 3)}}};
    for (bool animate : {false, true}) {
        auto svg = ParseSvg(WriteSvg(TraceDrawing(d, view), 320, 200, animate));
        ASSERT_FALSE(svg.empty());
        EXPECT_EQ(svg[0].attr["viewBox"], "0 0 320 200");
        std::vector<SvgElement> drawn;
        std::copy_if(svg.begin(), svg.end(), std::back_inserter(drawn),
                     [](const SvgElement& e) { return e.name == "rect" || e.name == "polyline"; });
        ASSERT_EQ(drawn.size(), std::size(want));
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(drawn[i].name, want[i].name);
            const bool rect = drawn[i].name == "rect";
            EXPECT_EQ(drawn[i].attr[rect ? "fill" : "stroke"], want[i].colour) << i;
            EXPECT_EQ(drawn[i].attr[rect ? "width" : "stroke-width"], rect ? "320" : want[i].width);
            EXPECT_EQ(drawn[i].points, want[i].points) << i;
            EXPECT_EQ(drawn[i].shownAt >= 0, animate && i > 0) << i;
        }
    }
}

TEST(SvgWrite, AgreesWithTheRasterReplayUpToAntiAliasing) {
    TAVecImage d = MakeDrawing({Width(1), Move(20, 20), Line(200, 30), Line(220, 60), Line(225, 62),
                                Width(5), Color(Red), Move(30, 160), Line(120, 100), Line(250, 170),
                                Width(7), Color(Blue), Move(60, 60), Line(61, 140), Line(150, 70)});
    const TViewParams view{0, 0, 40, 30, 0.3, 0.8}; // widths 1, 4 and 5
    TCanvas canvas;
    RenderPicture(canvas, 320, 240, d, view);
    const auto svg = ParseSvg(WriteSvg(TraceDrawing(d, view), 320, 240, false));
    struct Stroke {
        TColor color;
        double width, offset;
        std::vector<TPoint> points;
    };
    std::vector<Stroke> strokes;
    for (const SvgElement& e : svg) {
        if (e.name == "polyline") {
            const auto c = std::stoul(e.attr.at("stroke").substr(1), nullptr, 16);
            const double offset = e.attr.count("transform") ? 0.5 : 0.0; // translate(0.5 0.5)
            strokes.push_back({static_cast<TColor>(((c & 0xFF) << 16) | (c & 0xFF00) | (c >> 16)),
                               std::stod(e.attr.at("stroke-width")), offset, e.points});
        }
    }
    ASSERT_EQ(strokes.size(), 3u);
    for (const Stroke& s : strokes) {
        // A 1-pixel line leaves its end point out; vector strokes do not.
        for (std::size_t k = 0; k + (s.width == 1 ? 1 : 0) < s.points.size(); ++k) {
            EXPECT_EQ(canvas.pixel(s.points[k].x, s.points[k].y), s.color) << k;
        }
    }
    // Every painted pixel lies under a stroke of its colour, up to
    // anti-aliasing (half a pixel's diagonal) for the 1-pixel pen. A wider
    // slanted line's body is a whole-pixel parallelogram, one half-width
    // rounded from (w + 1) / 2, so its edge can stand up to two pixels past
    // that of a vector stroke through the same points.
    auto slack = [](const Stroke& s) { return s.width == 1 ? std::sqrt(0.5) : 2.0; };
    int painted = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const TColor c = canvas.pixel(x, y);
            double nearest = 1e9;
            for (const Stroke& s : strokes) {
                for (std::size_t k = 1; s.color == c && k < s.points.size(); ++k) {
                    const double ax = s.points[k - 1].x + s.offset,
                                 ay = s.points[k - 1].y + s.offset;
                    const double dx = s.points[k].x - s.points[k - 1].x,
                                 dy = s.points[k].y - s.points[k - 1].y;
                    const double px = x + 0.5 - ax, py = y + 0.5 - ay;
                    const double t =
                        std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0, 1.0);
                    nearest = std::min(nearest, std::hypot(px - t * dx, py - t * dy) - s.width / 2 -
                                                    slack(s));
                }
            }
            painted += c != 0xFFFFFF;
            ASSERT_TRUE(c == 0xFFFFFF || nearest <= 0) << "pixel " << x << "," << y;
        }
    }
    EXPECT_GT(painted, 1000);
}

TEST(SvgAnimation, LastsRecordsOverRatePlusDelaysAndFills) {
    // Delays of 0 and 12000 are clamped to 1 and 10000 ms, as playback clamps them.
    const TAVecImage d =
        MakeDrawing({Move(1, 1), Line(30, 30), Line(60, 10), Delay(0), Color(Red), Line(90, 40),
                     Delay(12000), Delay(250), Fill(Green), Move(5, 5), Line(9, 9), Line(100, 9)});
    const double total = 12 / 50.0 + (1 + 10000 + 250 + 10) / 1000.0;
    const VectorPicture pic = TraceDrawing(d, DefaultView, 50);
    EXPECT_NEAR(pic.duration, total, 1e-9);
    double end = 0, lastShown = 0;
    for (SvgElement& e : ParseSvg(WriteSvg(pic, 200, 100, true))) {
        if (e.name == "desc") {
            EXPECT_EQ(e.text, "Replay of 12 records, 10.501 s in all.");
        } else if (e.name == "polyline" || (e.name == "rect" && e.attr["fill"] != "#ffffff")) {
            EXPECT_GE(e.shownAt, lastShown) << "shown in record order";
            lastShown = e.shownAt;
            end = std::max({end, e.shownAt, e.animEnd});
        }
    }
    // The last record is a line, so the replay ends exactly when it is drawn.
    EXPECT_NEAR(end, total, 2e-4);
}

TEST(SvgCommand, DefaultRateAndUsage) {
    TempDir dir;
    WriteBytes(dir.file("in.vlgf"), DrawingFile({Move(1, 1), Line(30, 30), Delay(100)}));
    EXPECT_EQ(RunSvg({"--animate", dir.file("in.vlgf"), dir.file("a.svg")}), ExitOk);
    EXPECT_EQ(ParseSvg(ReadBytes(dir.file("a.svg")))[1].text,
              "Replay of 3 records, 0.11 s in all.");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunSvg({dir.file("in.vlgf"), dir.file("b.svg"), "--rate", "5"}), ExitUsage);
    EXPECT_EQ(RunSvg({"--animate", dir.file("in.vlgf"), dir.file("b.svg"), "--rate", "0"}),
              ExitUsage);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"a.svg", "in.vlgf"}));
}
