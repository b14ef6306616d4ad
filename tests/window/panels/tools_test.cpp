// The pickers' pictures, the integer reading of the panel fields, and the fit.
#include "engine/format/recording.h"
#include "engine/io/error.h"
#include "engine/playback/host.h"
#include "engine/playback/render.h"
#include "tests/support/fake_host.h"
#include "window/panels/int_conversion.h"
#include "window/panels/view_fit.h"
#include "window/pickers/palette.h"
#include "window/pickers/pen_width_picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using namespace vellograph;

namespace {

using test::FakeHost;

std::string ErrorOf(const std::string& text) {
    try {
        StrToInt(text);
    } catch (const UserError& e) {
        return e.what();
    }
    return "";
}

TAVecImage DrawingWithPoints(const std::vector<std::pair<int, int>>& points) {
    TAVecImage d;
    NewDrawing(d);
    for (auto [x, y] : points) {
        d.Commands.push_back(MakeNumberRecord(CmdLine, x, y));
    }
    d.LastIndex = static_cast<std::int32_t>(d.Commands.size()) - 1;
    return d;
}

} // namespace

TEST(StrToInt, AcceptsTheIntegerForms) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {{"256", 256},
                 {" 42", 42},
                 {"+7", 7},
                 {"-3", -3},
                 {"$FF", 255},
                 {"0x1f", 31},
                 {"0X1F", 31},
                 {"$FFFFFFFF", -1},
                 {"$000000010", 16},
                 {"-$10", -16},
                 {"2147483647", INT32_MAX},
                 {"-2147483648", INT32_MIN},
                 {"00012", 12}};
    for (const auto& c : cases) {
        EXPECT_EQ(StrToInt(c.text), c.value) << c.text;
    }
}

TEST(StrToInt, RejectsEverythingElseWithTheEnteredText) {
    for (const char* text : {"2147483648", "-2147483649", "12 ", "", " ", "1e3", "abc", "$", "0x",
                             "+-1", "$123456789", "12a", "0x1g", "Шаг"}) {
        EXPECT_EQ(ErrorOf(text), "'" + std::string(text) + "' is not a valid integer value")
            << text;
    }
}

TEST(Palette, CellsFollowTheBlockRuleAndTheBottomRow) {
    PaletteColors = {};
    BuildPalette();
    auto rgb = [](int r, int g, int b) { return static_cast<TColor>(r + g * 256 + b * 65536); };
    const struct {
        int c, r;
        TColor color;
    } cases[] = {{8, 0, rgb(255, 0, 0)},
                 {0, 8, rgb(0, 255, 0)},
                 {9, 0, rgb(0, 0, 32)},
                 {18, 18, rgb(0, 0, 255)},
                 {26, 26, rgb(255, 255, 255)},
                 {13, 4, rgb(128, 128, 32)},
                 {0, 27, 0},
                 {4, 27, rgb(128, 128, 128)},
                 {8, 27, rgb(255, 255, 255)},
                 {12, 27, rgb(255, 255, 0)},
                 {16, 27, rgb(255, 255, 255)},
                 {18, 27, rgb(127, 0, 0)},
                 {20, 27, rgb(255, 127, 0)},
                 {24, 27, rgb(127, 127, 127)},
                 {25, 27, 0},
                 {26, 27, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(PaletteColors[c.c][c.r], c.color) << c.c << "," << c.r;
    }
}

TEST(Palette, HitTestClampsToTheGrid) {
    const struct {
        int x, y;
        PaletteCell cell;
    } cases[] = {{0, 0, {0, 0}},   {1, 1, {0, 0}},       {2, 2, {0, 0}},      {14, 14, {0, 0}},
                 {15, 15, {1, 1}}, {353, 366, {26, 27}}, {-50, 9999, {0, 27}}};
    for (const auto& c : cases) {
        EXPECT_EQ(PaletteHitTest(c.x, c.y), c.cell) << c.x << "," << c.y;
    }
}

TEST(Palette, PictureMatchesTheLayoutWorkedOutByHand) {
    BuildPalette();
    TCanvas canvas(PalettePictureWidth, PalettePictureHeight);
    DrawPalette(canvas);
    DrawPaletteGrid(canvas);
    DrawRectOutline(canvas, 13, 13, 13 * 5 + 1, 13 * 7 + 1, PaletteHighlightColor);
    DrawPaletteGrid(canvas); // a later hover removes the highlight ...
    DrawRectOutline(canvas, 13, 13, 13 * 2 + 1, 13 * 3 + 1,
                    PaletteHighlightColor); // ... and frames (2, 3)
    for (int y = 0; y < PalettePictureHeight; ++y) {
        for (int x = 0; x < PalettePictureWidth; ++x) {
            TColor expected;
            const bool onFrame =
                x == 0 || y == 0 || x == PalettePictureWidth - 1 || y == PalettePictureHeight - 1;
            const bool onGrid = (x - 1) % 13 == 0 || (y - 1) % 13 == 0;
            const bool onHighlight = x >= 27 && x <= 40 && y >= 40 && y <= 53 &&
                                     (x == 27 || x == 40 || y == 40 || y == 53);
            if (x == 352 && y == 365) {
                expected =
                    0xFFFFFF; // no grid line reaches this corner: each leaves out its end point
            } else if (onFrame) {
                expected = PaletteFrameColor;
            } else if (onHighlight) {
                expected = PaletteHighlightColor;
            } else if (onGrid) {
                expected = PaletteGridColor;
            } else {
                expected = PaletteColors[(x - 2) / 13][(y - 2) / 13];
            }
            ASSERT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
        }
    }
}

TEST(PenWidthPicture, WidthFollowsThePointer) {
    const struct {
        int x, width;
    } cases[] = {{0, 2},  {64, 2}, {65, 2},   {66, 1},   {67, 1},
                 {68, 2}, {69, 2}, {100, 18}, {254, 95}, {255, 95}};
    for (const auto& c : cases) {
        EXPECT_EQ(PenWidthFromPickerX(c.x, PenWidthPictureWidth), c.width) << c.x;
    }
}

TEST(PenWidthPicture, PreviewIsFieldSampleLineAndFrame) {
    ResetRenderGlobals();
    PenWidth = 1;
    PenColor = 0x0000FF;
    TCanvas canvas(PenWidthPictureWidth, PenWidthPictureHeight);
    canvas.setPenColor(0x00FF00);
    canvas.moveTo(5, 100);
    canvas.lineTo(200, 100); // left over from an earlier preview
    DrawPenWidthPreview(canvas, PenWidthPictureWidth, PenWidthPictureHeight);
    for (int y = 0; y < PenWidthPictureHeight; ++y) {
        for (int x = 0; x < PenWidthPictureWidth; ++x) {
            TColor expected = 0xFFFFFF;
            if (x == 0 || y == 0 || x == PenWidthPictureWidth - 1 ||
                y == PenWidthPictureHeight - 1) {
                expected = 0;
            } else if (y == 64 && x >= 64) {
                expected = 0x0000FF;
            }
            ASSERT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.penWidth(), 1);
    EXPECT_EQ(canvas.penColor(), 0u);
}

TEST(FormatScale, ShortestFormWithFifteenDigits) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{13.66, "13.66"},
                 {0.35, "0.35"},
                 {2, "2"},
                 {1.0 / 3, "0.333333333333333"},
                 {0.000001234, "1.234E-6"},
                 {123456789.123, "123456789.123"},
                 {0.00001, "0.00001"},
                 {1e15, "1E15"},
                 {2.0 / 3 * 1e5, "66666.6666666667"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatScale(c.value, "."), c.text) << c.value;
    }
    EXPECT_EQ(FormatScale(13.66, ","), "13,66");
    EXPECT_EQ(FormatScale(0.5, "٫"), "0٫5"); // a separator beyond ASCII
}

TEST(ComputeFitView, FitsTheWorkedExample) {
    FakeHost host;
    ScopedHost scope(host);
    StopRequested = false;
    TViewParams view = DefaultView;
    ComputeFitView(view, DrawingWithPoints({{10, 20}, {110, 70}, {50, 50}}), 1366, 768, ".");
    EXPECT_DOUBLE_EQ(view.Scale, 1366.0 / 100);
    EXPECT_EQ(view.OriginX, -136);
    EXPECT_EQ(view.OriginY, -273);
    EXPECT_EQ(view.ExtentX, 110);
    EXPECT_EQ(view.ExtentY, 70);
    EXPECT_EQ(view.Angle, 0.0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "X=10 Y=20\nW=110 H=70\nScale=13.66");
}

TEST(ComputeFitView, DegenerateBoxesNeverGiveABadScale) {
    FakeHost host;
    ScopedHost scope(host);
    StopRequested = false;
    const TViewParams start{1366, 768, 5, 6, 0.5, 3.0};
    for (const auto& points :
         std::vector<std::vector<std::pair<int, int>>>{{}, {{40, 40}}, {{40, 40}, {40, 40}}}) {
        TViewParams view = start;
        ComputeFitView(view, DrawingWithPoints(points), 1366, 768, ".");
        EXPECT_EQ(view.Scale, start.Scale);
        EXPECT_EQ(view.OriginX, start.OriginX);
    }
    EXPECT_TRUE(host.messages.empty());

    TViewParams view = start; // one shared X: fit by the height alone
    ComputeFitView(view, DrawingWithPoints({{40, 0}, {40, 384}}), 1366, 768, ".");
    EXPECT_EQ(view.Scale, 2.0);
    EXPECT_EQ(view.OriginX, -80);
}

TEST(ComputeFitView, StopEndsTheScanWithTheBoxSoFar) {
    FakeHost host;
    ScopedHost scope(host);
    std::vector<std::pair<int, int>> points(5000, {100, 100});
    points.push_back({300, 200}); // index 5002 after the two start records
    TAVecImage drawing = DrawingWithPoints(points);
    drawing.Commands[2] = MakeNumberRecord(CmdMove, 0, 0);
    drawing.Commands.insert(drawing.Commands.begin() + 3,
                            MakeEndMarker()); // points after an end marker count
    drawing.LastIndex = static_cast<std::int32_t>(drawing.Commands.size()) - 1;

    StopRequested = false;
    TViewParams view = DefaultView;
    ComputeFitView(view, drawing, 600, 400, ".");
    EXPECT_EQ(view.ExtentX, 300);

    host.pumps = 0;
    host.onPump = [&] { StopRequested = host.pumps == 2; }; // during the pump after record 4096
    view = DefaultView;
    ComputeFitView(view, drawing, 600, 400, ".");
    EXPECT_EQ(view.ExtentX, 100);
    EXPECT_FALSE(StopRequested);

    host.onPump = nullptr;
    StopRequested = true; // stale: ends after record 0, which holds no point
    view = DefaultView;
    ComputeFitView(view, drawing, 600, 400, ".");
    EXPECT_EQ(view.Scale, 1.0);
    EXPECT_FALSE(StopRequested);
}

// The scan counts the records in force when it began, whatever handlers run
// by its pumps do to the drawing.
TEST(ComputeFitView, ChangesDuringTheScanDoNotChangeTheBox) {
    FakeHost host;
    ScopedHost scope(host);
    std::vector<std::pair<int, int>> points;
    for (int k = 0; k < 10000; ++k) {
        points.push_back({10 + k % 101, 20 + k % 51});
    }
    const std::function<void(TAVecImage&)> changes[] = {
        [](TAVecImage& d) { // undo, then a stroke far outside the box
            d.LastIndex = 5;
            AddCommand(d, 4000, 4000, 0, 0, NoIndex, 1.0, 0.0, CmdLine);
        },
        [](TAVecImage& d) { NewDrawing(d); },
        [](TAVecImage& d) { AddCommand(d, 4000, 4000, 0, 0, 9000, 1.0, 0.0, CmdLine); },
    };
    for (const auto& change : changes) {
        TAVecImage drawing = DrawingWithPoints(points);
        host.pumps = 0;
        host.messages.clear();
        host.onPump = [&] {
            if (host.pumps == 1) {
                change(drawing);
            }
        };
        StopRequested = false;
        TViewParams view = DefaultView;
        ComputeFitView(view, drawing, 1366, 768, ".");
        EXPECT_EQ(host.pumps, 3); // after records 0, 4096 and 8192
        EXPECT_EQ(host.messages, std::vector<std::string>{"X=10 Y=20\nW=110 H=70\nScale=13.66"});
    }
}

TEST(DrawViewFrame, OutlinesThePageThroughTheView) {
    TCanvas canvas(60, 40);
    const TViewParams view{20, 10, 5, 7, 0.0, 2.0};
    DrawViewFrame(canvas, view, FrameColor);
    // Corners (5, 7) and (45, 27); the closing segment ends where it started.
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 60; ++x) {
            const bool inside = x >= 5 && x <= 45 && y >= 7 && y <= 27;
            const bool edge = inside && (x == 5 || x == 45 || y == 7 || y == 27);
            ASSERT_EQ(canvas.pixel(x, y), edge ? FrameColor : 0xFFFFFFu) << x << "," << y;
        }
    }
}
