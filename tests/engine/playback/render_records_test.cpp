// What each record does to the globals, the pen and the surface.
#include "engine/playback/render.h"
#include "tests/support/fake_host.h"
#include "tests/support/test_records.h"

#include <gtest/gtest.h>

using namespace vellograph;
using namespace vellograph::test;

namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor Black = 0x000000;
constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x00FF00;

class RenderRecords : public ::testing::Test {
protected:
    void SetUp() override { ResetRenderGlobals(); }
    void TearDown() override { ResetRenderGlobals(); }
    // Plays the records and returns how long the playback waited.
    std::uint32_t Play(TRecords records, double scale = 1.0,
                       std::int32_t originX = 0, std::int32_t originY = 0, double angle = 0.0) {
        drawing = MakeDrawing(std::move(records));
        const std::uint32_t before = host.clock;
        RenderDrawing(canvas, drawing, originX, originY, 0, NoIndex, scale, angle);
        return host.clock - before;
    }
    // Pixels of one row as colours, for readable failures.
    std::vector<TColor> Row(std::int32_t y, std::int32_t from, std::int32_t to) const {
        std::vector<TColor> row;
        for (std::int32_t x = from; x <= to; ++x) {
            row.push_back(canvas.pixel(x, y));
        }
        return row;
    }

    FakeHost host;
    ScopedHost scoped{host};
    TCanvas canvas{40, 30};
    TAVecImage drawing;
};

TEST_F(RenderRecords, DelayIsClampedToOneThroughTenThousand) {
    const struct {
        TDrawCommand record;
        std::uint32_t waited;
    } cases[] = {
        {Delay(0), 1},
        {Delay(1), 1},
        {Delay(250), 250},
        {Delay(10000), 10000},
        {Delay(10001), 10000},
        {Raw(CmdDelay, 0xFF, 0xFF, '0', '0'), 10000}, // 13455
        {Raw(CmdDelay, 0x00, 0x00, '0', '0'), 1},     // -3120
        {Raw(CmdDelay, '0', '5', 0xFF, 0xFF), 5},     // digits 3 and 4 are not read
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(RecordX(c.record));
        EXPECT_EQ(Play({c.record}), c.waited);
    }
}

TEST_F(RenderRecords, PenWidthRecordClampsAndSetsTheUnscaledWidth) {
    const struct {
        TDrawCommand record;
        std::int32_t width;
    } cases[] = {
        {Width(0), 2},
        {Width(1), 1},
        {Width(2), 2},
        {Width(128), 128},
        {Width(129), 128},
        {Width(200), 128},
        {Raw(CmdPenWidth, 0x00, 0x00, '0', '0'), 2}, // -3120
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(RecordX(c.record));
        Play({c.record}, 3.0);
        EXPECT_EQ(PenWidth, c.width);
        EXPECT_EQ(canvas.penWidth(), c.width); // the scale waits for the next line
    }
}

TEST_F(RenderRecords, LineWidthIsTheTruncatedScaledPenWidthAtLeastOne) {
    const struct {
        std::int32_t penWidth;
        double scale;
        int lineWidth;
    } cases[] = {
        {2, 0.25, 1},                               // Trunc(0.5) = 0 gives 1
        {3, 1.5, 4},    {2, 1.0, 2}, {20, 0.35, 7}, // 20 x 0.35 is exactly 7.0 in double
        {128, 0.05, 6}, {5, 0.0, 1}, {2, -1.0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.penWidth << " x " << c.scale);
        PenWidth = c.penWidth;
        PenColor = Red;
        canvas.setPenColor(Green);
        canvas.setPenWidth(50);
        Play({Move(0, 0), Line(0, 0)}, c.scale);
        EXPECT_EQ(canvas.penWidth(), c.lineWidth);
        EXPECT_EQ(canvas.penColor(), Red);
        EXPECT_EQ(PenWidth, c.penWidth);
    }
}

TEST_F(RenderRecords, QuarterScaleDrawsOnePixelLines) {
    Play({Color(Black), Width(2), Move(40, 40), Line(120, 40)}, 0.25);
    std::vector<TColor> line(22, Black); // x 10 to 29; the end point is left out
    line.front() = line.back() = White;
    EXPECT_EQ(Row(10, 9, 30), line);
    EXPECT_EQ(Row(9, 9, 30), std::vector<TColor>(22, White));
    EXPECT_EQ(Row(11, 9, 30), std::vector<TColor>(22, White));
}

TEST_F(RenderRecords, FirstLineStartsWherePenWasLeft) {
    canvas.moveTo(5, 20);
    PenColor = Red;
    Play({Width(1), Line(15, 20)});
    EXPECT_EQ(Row(20, 4, 15), (std::vector<TColor>{White, Red, Red, Red, Red, Red, Red, Red, Red,
                                                   Red, Red, White}));
    EXPECT_EQ(canvas.penPos(), (TPoint{15, 20}));
}

TEST_F(RenderRecords, MoveMapsThroughTheViewAndDrawsNothing) {
    Play({Move(10, 20)}, 2.0, 100, 50);
    EXPECT_EQ(canvas.penPos(), (TPoint{120, 90}));
    Play({Move(100, 0)}, 1.0, 0, 0, 1.5);
    EXPECT_EQ(canvas.penPos(), (TPoint{7, -99}));
    Play({Raw(CmdMove, 0x00, 0x00, 0x00, 0x00)}); // negatives are used as they come
    EXPECT_EQ(canvas.penPos(), (TPoint{-3120, -3120}));
    for (std::int32_t y = 0; y < canvas.height(); ++y) {
        ASSERT_EQ(Row(y, 0, canvas.width() - 1), std::vector<TColor>(40, White));
    }
}

TEST_F(RenderRecords, FillPaintsEverythingAndRestoresThePen) {
    Play({Color(Black), Width(1), Move(2, 3), Line(30, 3), Color(Red), Fill(Green)});
    // The black line is painted over too, and the fill waits 10 ms.
    for (std::int32_t y = 0; y < canvas.height(); ++y) {
        ASSERT_EQ(Row(y, 0, canvas.width() - 1), std::vector<TColor>(40, Green)) << y;
    }
    EXPECT_EQ(FillColor, Green);
    EXPECT_EQ(PenColor, Red);
    EXPECT_EQ(canvas.penColor(), Red);
    EXPECT_EQ(drawing.LastFillIndex, 5);

    EXPECT_EQ(Play({Fill(Green), Color(Red), Fill(White), Delay(0)}), 10u + 10u + 1u);
    EXPECT_EQ(drawing.LastFillIndex, 2);
    EXPECT_EQ(FillColor, White);
}

TEST_F(RenderRecords, UnknownLettersDoNothing) {
    canvas.moveTo(3, 4);
    canvas.setPixel(7, 7, Red);
    PenColor = 0x010203;
    const std::vector<TColor> before = Row(7, 0, 39);
    Play({Raw('x', '1', '1', '1', '1'), Raw(0, 0, 0, 0, 0), Raw('M', '1', '1', '1', '1'),
          Raw('L', '1', '1', '1', '1'), Raw(CmdEnd, 'E', 'N', 'd', '0')});
    EXPECT_EQ(canvas.penPos(), (TPoint{3, 4}));
    EXPECT_EQ(Row(7, 0, 39), before);
    EXPECT_EQ(PenColor, 0x010203u);
    EXPECT_EQ(PenWidth, 2);
    EXPECT_EQ(FillColor, White);
}

TEST_F(RenderRecords, ClearSurfaceStopsOnlyAtTheExactBorderColour) {
    constexpr TColor Border = 0x000001;
    canvas.setPenWidth(1);
    canvas.setPenColor(Black);
    canvas.moveTo(0, 10);
    canvas.lineTo(40, 10); // strokes are painted over
    for (std::int32_t y = 0; y < canvas.height(); ++y) {
        canvas.setPixel(20, y, Border);
    }
    canvas.setPixel(5, 5, 0x000002); // close to the border colour, still painted
    ClearSurface(canvas, Red);
    EXPECT_EQ(canvas.penColor(), Red);
    EXPECT_EQ(Row(10, 18, 22), (std::vector<TColor>{Red, Red, Border, Black, Black}));
    EXPECT_EQ(canvas.pixel(5, 5), Red);
    EXPECT_EQ(canvas.pixel(30, 0), White);

    // With (1, 1) itself in the border colour, nothing is painted.
    canvas.setPixel(1, 1, Border);
    ClearSurface(canvas, Green);
    EXPECT_EQ(canvas.penColor(), Green);
    EXPECT_EQ(Row(10, 0, 3), (std::vector<TColor>{Red, Red, Red, Red}));
    EXPECT_EQ(canvas.pixel(1, 1), Border);
}

} // namespace
