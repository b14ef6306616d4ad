// Vector export: playback's stroke rules, XML that parses, geometry that
// matches the raster replay, and the animation's clock.
#include "export_replay.h"
#include "export_test_support.h"
#include "svg_test_parse.h"
#include "svg_writer.h"

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::testing;

namespace {

const TColor Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000;

} // namespace

TEST(SvgTrace, FollowsPlaybackRulesForStrokesWidthsAndTheEnd) {
    TDrawCommand notEnd = MakeEndMarker();
    notEnd.Digits[2] = 'X';
    const TAVecImage d =
        MakeDrawing({L(10, 10), C(Red), L(20, 10), P(0), L(20, 20), M(5, 5), L(6, 6), P(200),
                     L(7, 7), E(Green), D(0), L(8, 8), notEnd, MakeEndMarker(), L(99, 99)});
    const VectorPicture pic = TraceDrawing(d, DefaultView, 100);
    struct Want {
        VectorElement::Kind kind;
        TColor color;
        int width;
        std::vector<TPoint> points;
        std::vector<double> times;
    };
    const Want want[] = {
        // An "l" with no "m" before it starts at the pen's start, (0, 0).
        {VectorElement::Stroke, 0, 2, {{0, 0}, {10, 10}}, {0, 0.01}},
        // A new colour starts a new stroke where the pen is; "p0" means 2.
        {VectorElement::Stroke, Red, 2, {{10, 10}, {20, 10}, {20, 20}}, {0.02, 0.03, 0.05}},
        {VectorElement::Stroke, Red, 2, {{5, 5}, {6, 6}}, {0.06, 0.07}},
        {VectorElement::Stroke, Red, 128, {{6, 6}, {7, 7}}, {0.08, 0.09}}, // 200 gives 128
        {VectorElement::Fill, Green, 1, {}, {0.10}},
        // After 10 ms for the fill and 1 ms for the delay of 0.
        {VectorElement::Stroke, Red, 128, {{7, 7}, {8, 8}}, {0.121, 0.131}},
    };
    ASSERT_EQ(pic.elements.size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i) {
        const VectorElement& e = pic.elements[i];
        EXPECT_EQ(e.kind, want[i].kind) << i;
        EXPECT_EQ(e.color, want[i].color) << i;
        if (e.kind == VectorElement::Stroke) {
            EXPECT_EQ(e.width, want[i].width) << i;
            EXPECT_EQ(e.points, want[i].points) << i;
        }
        ASSERT_EQ(e.times.size(), want[i].times.size()) << i;
        for (std::size_t k = 0; k < e.times.size(); ++k) {
            EXPECT_NEAR(e.times[k], want[i].times[k], 1e-9) << i << "," << k;
        }
    }
    EXPECT_EQ(pic.records, 13); // the end marker and what follows it are out
    EXPECT_EQ(pic.heldMs, 11);
    EXPECT_NEAR(pic.duration, 0.141, 1e-9);
}

TEST(SvgTrace, MapsAndScalesThroughTheView) {
    const TAVecImage d = MakeDrawing({P(3), M(10, 20), L(0, 0), P(2), L(100, 0)});
    const VectorPicture a = TraceDrawing(d, TViewParams{0, 0, 100, 50, 0.0, 2.0});
    ASSERT_EQ(a.elements.size(), 2u);
    EXPECT_EQ(a.elements[0].points, (std::vector<TPoint>{{120, 90}, {100, 50}}));
    EXPECT_EQ(a.elements[0].width, 6);
    EXPECT_EQ(a.elements[1].width, 4);
    const VectorPicture b = TraceDrawing(d, TViewParams{0, 0, 0, 0, 1.5, 1.5});
    EXPECT_EQ(b.elements[0].width, 4); // Trunc(3 * 1.5)
    EXPECT_EQ(b.elements[1].points.back(), MapToScreen(100, 0, 0, 0, 1.5, 1.5));
    // Both widths become 1 at scale 0.25 (Trunc(0.5) is 0, drawn as 1), so
    // the stroke goes on through the "p".
    const VectorPicture c = TraceDrawing(d, TViewParams{0, 0, 0, 0, 0.0, 0.25});
    ASSERT_EQ(c.elements.size(), 1u);
    EXPECT_EQ(c.elements[0].width, 1);
    EXPECT_EQ(c.elements[0].points.size(), 3u);
}

TEST(SvgWrite, ParsesBackWithTheRecordsMappedPointsAndColours) {
    const TAVecImage d = MakeDrawing({M(5, 5), L(50, 5), L(50, 40), C(Blue), P(5), L(10, 40),
                                      E(Red), C(0x000001), M(1, 1), L(2, 3)});
    const TViewParams view{0, 0, 7, -3, 0.4, 1.7};
    auto map = [&](int x, int y) { return MapToScreen(x, y, view); };
    const struct {
        const char* name;
        const char* colour; // stroke or fill
        const char* width;
        std::vector<TPoint> points;
    } want[] = {{"polyline", "#000000", "3", {map(5, 5), map(50, 5), map(50, 40)}},
                {"polyline", "#0000ff", "8", {map(50, 40), map(10, 40)}},
                {"rect", "#ff0000", "", {}},
                {"polyline", "#010000", "8", {map(1, 1), map(2, 3)}}};
    const VectorPicture pic = TraceDrawing(d, view);
    for (bool animate : {false, true}) {
        const std::vector<SvgElement> svg = ParseSvg(WriteSvg(pic, 320, 200, animate));
        ASSERT_GE(svg.size(), 3u);
        EXPECT_EQ(svg[0].name, "svg");
        EXPECT_EQ(svg[0].attr.at("viewBox"), "0 0 320 200");
        std::vector<const SvgElement*> drawn;
        for (const SvgElement& e : svg) {
            if (e.name == "polyline" || e.name == "rect") {
                drawn.push_back(&e);
            }
        }
        ASSERT_FALSE(drawn.empty());
        EXPECT_EQ(drawn[0]->attr.at("fill"), "#ffffff"); // the page
        drawn.erase(drawn.begin());
        ASSERT_EQ(drawn.size(), std::size(want));
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(drawn[i]->name, want[i].name);
            if (drawn[i]->name == "rect") {
                EXPECT_EQ(drawn[i]->attr.at("fill"), want[i].colour);
                EXPECT_EQ(drawn[i]->attr.at("width"), "320");
            } else {
                EXPECT_EQ(drawn[i]->attr.at("stroke"), want[i].colour) << i;
                EXPECT_EQ(drawn[i]->attr.at("stroke-width"), want[i].width) << i;
                EXPECT_EQ(drawn[i]->points, want[i].points) << i;
            }
            EXPECT_EQ(drawn[i]->attr.count("visibility"), animate ? 1u : 0u);
        }
    }
}
