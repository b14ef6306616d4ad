// AddCommand: the worked records, every clamp, where records go, and the
// cases the plain rules would get wrong (coordinates past 13311, appends at
// the index limit).
#include "engine/format/recording.h"
#include "engine/playback/render.h"
#include "tests/support/test_drawing.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace vellograph;
using namespace vellograph::test;

namespace {

class AddCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRenderGlobals();
        NewDrawing(drawing);
    }
    void TearDown() override { ResetRenderGlobals(); }

    // The record that a call appends to a fresh drawing.
    std::string Recorded(std::uint8_t command, std::int32_t x, std::int32_t y,
                         std::int32_t originX = 0, std::int32_t originY = 0, double scale = 1.0,
                         double angle = 0.0) {
        NewDrawing(drawing);
        AddCommand(drawing, x, y, originX, originY, NoIndex, scale, angle, command);
        EXPECT_EQ(drawing.LastIndex, 2);
        EXPECT_EQ(drawing.Commands.size(), 3u);
        return RecordText(drawing.Commands[2]);
    }

    TAVecImage drawing;
};

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (const int c : b) {
        s += static_cast<char>(c);
    }
    return s;
}

std::string Point(char letter, std::int32_t x, std::int32_t y) {
    return RecordText(MakeNumberRecord(static_cast<std::uint8_t>(letter), x, y));
}

TEST_F(AddCommandTest, WorkedExamples) {
    const double halfPi = std::numbers::pi / 2;
    EXPECT_EQ(Recorded('m', 100, 200), Bytes({0x6D, 0x31, 0x54, 0x33, 0x38, 0x0A}));
    EXPECT_EQ(Recorded('l', 100, 200, 0, 0, 2.0), Bytes({0x6C, 0x30, 0x62, 0x31, 0x54, 0x0A}));
    EXPECT_EQ(Recorded('l', 4100, 10), Bytes({0x6C, 0x30, 0x34, 0x30, 0x3A, 0x0A}));
    EXPECT_EQ(Recorded('m', 50, 300, 100, 0), Point('m', 0, 300));
    EXPECT_EQ(Recorded('m', 300, 200, 100, 100, 1.0, halfPi), Point('m', 0, 200));
    EXPECT_EQ(Recorded('m', 40, 40, 100, 100), Point('m', 0, 0)); // left of and above the origin
    PenColor = 0x0000FF;
    EXPECT_EQ(Recorded('c', 0, 0, 0, 0, 0.0), Bytes({0x63, 0x60, 0x6F, 0x30, 0x30, 0x0A}));
    EXPECT_EQ(Recorded('d', 5000, 0, 0, 0, 0.0), Bytes({0x64, 0x7E, 0x38, 0x30, 0x30, 0x0A}));
}

TEST_F(AddCommandTest, PenWidthClamps) {
    const struct {
        std::int32_t penWidth;
        double scale;
        std::int32_t stored;
        std::int32_t penWidthAfter;
    } cases[] = {{2, 2.0, 1, 2},          {2, 0.5, 4, 2}, {200, 1.0, 128, 128}, {-5, 1.0, 2, 2},
                 {0, 1.0, 2, 2},          {1, 4.0, 1, 1}, {128, 1.0, 128, 128}, {3, 2.0, 1, 3},
                 {128, 0.001, 13311, 128}}; // past the encoding: the largest number, not a wrap
    for (const auto& c : cases) {
        SCOPED_TRACE(c.penWidth);
        PenWidth = c.penWidth;
        EXPECT_EQ(Recorded('p', PenWidth, 0, 0, 0, c.scale), Point('p', c.stored, 0));
        EXPECT_EQ(PenWidth, c.penWidthAfter);
    }
    PenWidth = 2;
    EXPECT_EQ(Recorded('p', 2, 0, 0, 0, 2.0), Bytes({0x70, 0x30, 0x31, 0x30, 0x30, 0x0A}));
}

TEST_F(AddCommandTest, DelayClamps) {
    EXPECT_EQ(Recorded('d', 0, 0), Point('d', 1, 0));
    EXPECT_EQ(Recorded('d', -300, 0), Point('d', 1, 0));
    EXPECT_EQ(Recorded('d', 10, 0), Point('d', 10, 0));
    EXPECT_EQ(Recorded('d', 20000, 0), Bytes({0x64, 0xCC, 0x40, 0x30, 0x30, 0x0A}));
}

// Quantising keeps 12 bits of each rotated axis, then divides by the scale;
// a result past 13311 would wrap into another point and is held there.
TEST_F(AddCommandTest, CoordinatesWrapAt4096AndHoldAt13311) {
    const struct {
        std::int32_t x, y;
        double scale;
        std::int32_t expectX, expectY;
    } cases[] = {{4095, 4096, 1.0, 4095, 0},
                 {4100, 8200, 1.0, 4, 8},
                 {4095, 100, 0.5, 8190, 200},
                 {4095, 4000, 0.3076171875, 13311, 13003},
                 {4095, 4095, 0.25, 13311, 13311},
                 {3000, 3000, 0.001, 13311, 13311},
                 {-2147483647 - 1, 2147483647, 1.0, 0, 4095}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " @" << c.scale);
        const std::string r = Recorded('l', c.x, c.y, 0, 0, c.scale);
        EXPECT_EQ(r, Point('l', c.expectX, c.expectY));
        EXPECT_EQ(RecordX(drawing.Commands[2]), c.expectX);
    }
}

TEST_F(AddCommandTest, RotatedViewUsesTheInverseRotation) {
    // Under a quarter turn the surface's upward axis is the drawing's x.
    const double halfPi = std::numbers::pi / 2;
    EXPECT_EQ(Recorded('l', 500, 100, 500, 400, 1.0, halfPi), Point('l', 300, 0));
    // Changing the angle between calls must not reuse the previous rotation.
    EXPECT_EQ(Recorded('l', 800, 400, 500, 400, 1.0, 0.0), Point('l', 300, 0));
    EXPECT_EQ(Recorded('l', 500, 100, 500, 400, 1.0, -halfPi), Point('l', 0, 0));
    EXPECT_EQ(Recorded('l', 100, 100, 0, 0, 2.0, std::numbers::pi / 4), Point('l', 0, 70));
    EXPECT_EQ(Recorded('l', 200, 100, 0, 0, 2.0, std::numbers::pi / 4), Point('l', 35, 106));
}

TEST_F(AddCommandTest, AppendCutsTheUndoneTail) {
    for (int i = 0; i < 7; ++i) {
        AddCommand(drawing, 10 * i, 0, 0, 0, NoIndex, 1.0, 0.0, 'l');
    }
    ASSERT_EQ(drawing.Commands.size(), 9u);
    drawing.LastIndex = 5; // three records undone
    AddCommand(drawing, 7, 8, 0, 0, NoIndex, 1.0, 0.0, 'm');
    EXPECT_EQ(drawing.LastIndex, 6);
    ASSERT_EQ(drawing.Commands.size(), 7u);
    EXPECT_EQ(RecordText(drawing.Commands[6]), Point('m', 7, 8));
    EXPECT_EQ(RecordText(drawing.Commands[5]), Point('l', 30, 0));

    drawing.LastIndex = -1; // everything undone
    AddCommand(drawing, 1, 2, 0, 0, NoIndex, 1.0, 0.0, 'l');
    EXPECT_EQ(drawing.LastIndex, 0);
    ASSERT_EQ(drawing.Commands.size(), 1u);
    EXPECT_EQ(RecordText(drawing.Commands[0]), Point('l', 1, 2));
}

TEST_F(AddCommandTest, IndexInRangeOverwritesInPlace) {
    drawing = DistinctDrawing(); // five records, LastIndex 3
    AddCommand(drawing, 9, 9, 0, 0, 1, 1.0, 0.0, 'm');
    EXPECT_EQ(drawing.LastIndex, 3);
    ASSERT_EQ(drawing.Commands.size(), 5u);
    EXPECT_EQ(RecordText(drawing.Commands[1]), Point('m', 9, 9));
    // Nothing besides the record changes, whatever is recorded.
    const TAVecImage before = drawing;
    PenColor = 0x123456;
    for (const char command : {'m', 'l', 'c', 'd', 'p'}) {
        AddCommand(drawing, 5, 5, 1, 1, 0, 1.5, 0.3, static_cast<std::uint8_t>(command));
    }
    EXPECT_EQ(drawing.Header, before.Header);
    EXPECT_EQ(drawing.LastFillIndex, before.LastFillIndex);
    EXPECT_EQ(PenColor, 0x123456u);
    // Fills and end markers are never recorded.
    AddCommand(drawing, 5, 5, 0, 0, NoIndex, 1.0, 0.0, 'e');
    AddCommand(drawing, 5, 5, 0, 0, NoIndex, 1.0, 0.0, 'i');
    EXPECT_EQ(drawing.LastIndex, 3);
}

// At LastIndex NoIndex the plain "index above LastIndex" test would
// overwrite record NoIndex; an append must still append.
TEST_F(AddCommandTest, AppendStillAppendsAtTheIndexLimit) {
    drawing.Commands.assign(static_cast<std::size_t>(NoIndex) + 1, MakeNumberRecord('l', 1, 1));
    drawing.LastIndex = NoIndex;
    AddCommand(drawing, 2, 3, 0, 0, NoIndex, 1.0, 0.0, 'm');
    EXPECT_EQ(drawing.LastIndex, NoIndex + 1);
    ASSERT_EQ(drawing.Commands.size(), static_cast<std::size_t>(NoIndex) + 2);
    EXPECT_EQ(RecordText(drawing.Commands[NoIndex]), Point('l', 1, 1));
    EXPECT_EQ(RecordText(drawing.Commands[NoIndex + 1]), Point('m', 2, 3));
}

} // namespace
