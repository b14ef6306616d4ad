// Canvas: clipping at any coordinates, the repaint rectangle, wide pens and the flood fill.
#include "engine/raster/canvas.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <vector>

using namespace vellograph;

namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor Black = 0x000000;

// Each pixel of the window [ox, ox + small.width()) x [oy, oy + small.height()) of big.
::testing::AssertionResult sameAsWindow(const TCanvas& small, const TCanvas& big, int ox, int oy) {
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            if (small.pixel(x, y) != big.pixel(x + ox, y + oy)) {
                return ::testing::AssertionFailure() << "differs at (" << x << "," << y << ")";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(CanvasClip, MatchesTheSameLineDrawnWhole) {
    // A small surface sits inside a big one that holds every line whole, so
    // clipping must reproduce exactly the pixels of the unclipped drawing.
    constexpr int Ox = 400, Oy = 400, Big = 860;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-300, 380), close(-20, 80), step(-9, 9);
    TCanvas small(64, 48);
    TCanvas big(Big, Big);
    for (const int width : {1, 2, 3, 4, 5, 8, 16, 33, 128}) {
        small.setPenWidth(width);
        big.setPenWidth(width);
        for (int n = 0; n < (width == 1 ? 2000 : 200); ++n) {
            // Half the lines start near the small surface so that most cross it,
            // and a third are freehand steps there, which big draws unclipped
            // from its cache of short segments.
            const bool near = n % 2 || n % 3 == 0;
            const int x0 = near ? close(rng) : coord(rng), y0 = near ? close(rng) : coord(rng);
            const int x1 = n % 3 == 0 ? x0 + step(rng) : coord(rng);
            const int y1 = n % 3 == 0 ? y0 + step(rng) : coord(rng);
            small.resize(64, 48);
            for (int y = 0; y < 48; ++y) { // only the window of big is compared
                for (int x = 0; x < 64; ++x) {
                    big.setPixel(x + Ox, y + Oy, White);
                }
            }
            small.moveTo(x0, y0);
            small.lineTo(x1, y1);
            big.moveTo(x0 + Ox, y0 + Oy);
            big.lineTo(x1 + Ox, y1 + Oy);
            ASSERT_TRUE(sameAsWindow(small, big, Ox, Oy))
                << "width " << width << " (" << x0 << "," << y0 << ")->(" << x1 << "," << y1 << ")";
        }
    }
}

// Pixels differing from white, as a row-by-row picture of '#' and '.'.
std::vector<std::string> picture(const TCanvas& c) {
    std::vector<std::string> rows;
    for (int y = 0; y < c.height(); ++y) {
        std::string row;
        for (int x = 0; x < c.width(); ++x) {
            row += c.pixel(x, y) == White ? '.' : '#';
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(CanvasClip, FarEndsKeepExactPixels) {
    TCanvas c(20, 3);
    // y = 0.5 exactly at x = 10: the tie goes to row 0 in both directions.
    c.moveTo(-1000000001 + 10, 0);
    c.lineTo(1000000001 + 10, 1);
    const std::vector<std::string> tie{"###########.........", "...........#########",
                                       "...................."};
    EXPECT_EQ(picture(c), tie);
    c.resize(20, 3);
    c.moveTo(1000000001 + 10, 1);
    c.lineTo(-1000000001 + 10, 0);
    EXPECT_EQ(picture(c), tie);

    // Exactly y = 7 over the whole surface, and the main diagonal.
    TCanvas wide(1920, 1080);
    wide.moveTo(-2000000000, 5);
    wide.lineTo(2000000000, 9);
    wide.moveTo(-2000000000, -2000000000);
    wide.lineTo(2000000000, 2000000000);
    for (int y = 0; y < 1080; ++y) {
        for (int x = 0; x < 1920; ++x) {
            ASSERT_EQ(wide.pixel(x, y) == Black, y == 7 || x == y) << x << "," << y;
        }
    }
}

TEST(CanvasClip, FarOffLinesCostOnlyTheirVisiblePart) {
    TCanvas c(1920, 1080);
    const auto t0 = std::chrono::steady_clock::now();
    for (const int width : {1, 2, 8, 128}) {
        c.setPenWidth(width);
        for (int n = 0; n < 5; ++n) {
            c.moveTo(-2000000000, 5);
            c.lineTo(2000000000, 9);
            c.moveTo(5, INT32_MIN);
            c.lineTo(9, INT32_MAX);
            c.moveTo(INT32_MIN, INT32_MIN);
            c.lineTo(INT32_MAX, INT32_MAX);
            c.moveTo(INT32_MIN, INT32_MIN + 5000); // passes beside the surface
            c.lineTo(INT32_MAX, INT32_MAX);
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    // Walking the invisible part would take minutes; the visible part is
    // about a millisecond even under the sanitizers.
    EXPECT_LT(seconds, 1.0);
    EXPECT_EQ(c.pixel(960, 7), Black);
    EXPECT_EQ(c.pixel(7, 540), Black);
    EXPECT_EQ(c.pixel(1000, 1000), Black);
    EXPECT_EQ(c.pixel(1000, 100), White);
}

TEST(CanvasBounds, HoldEveryPaintedPixel) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> near(-90, 250);
    std::uniform_int_distribution<int> far(INT32_MIN, INT32_MAX);
    TCanvas c(160, 160);
    for (int width = 1; width <= 128; ++width) {
        c.setPenWidth(width);
        for (int n = 0; n < 12; ++n) {
            TPoint a{near(rng), near(rng)};
            TPoint b = n % 4 == 0 ? TPoint{far(rng), near(rng)} : TPoint{near(rng), near(rng)};
            if (n == 1) {
                b = a;
            } else if (n == 2) {
                b.y = a.y;
            } else if (n == 3) {
                b.x = a.x;
            }
            c.resize(160, 160);
            c.moveTo(a.x, a.y);
            c.lineTo(b.x, b.y);
            const TRect r = c.lineBounds(a, b, width);
            ASSERT_TRUE(r.empty() ||
                        (r.left >= 0 && r.top >= 0 && r.right <= 160 && r.bottom <= 160));
            for (int y = 0; y < 160; ++y) {
                for (int x = 0; x < 160; ++x) {
                    const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
                    ASSERT_TRUE(inside || c.pixel(x, y) == White)
                        << "width " << width << " (" << a.x << "," << a.y << ")->(" << b.x << ","
                        << b.y << ") painted (" << x << "," << y << ")";
                }
            }
        }
    }
}

TEST(CanvasWidePen, CapsBeyondTheSharedTablesKeepTheirShape) {
    for (const int width : {129, 200, 301}) {
        TCanvas c(400, 400);
        c.setPenWidth(width);
        c.moveTo(200, 200);
        c.lineTo(200, 200);
        // Exactly width pixels across, the extra one of an even width on the top
        // and left, and mirror-symmetric about the centre.
        const int lo = 200 - width / 2, hi = 200 + (width - 1) / 2;
        for (int y = 0; y < 400; ++y) {
            for (int x = 0; x < 400; ++x) {
                const bool painted = c.pixel(x, y) == Black;
                if (x < lo || x > hi || y < lo || y > hi) {
                    ASSERT_FALSE(painted) << width << ": " << x << "," << y;
                }
                ASSERT_EQ(painted, c.pixel(lo + hi - x, y) == Black);
                ASSERT_EQ(painted, c.pixel(y, x) == Black);
            }
        }
        EXPECT_EQ(c.pixel(lo, 200), Black);
        EXPECT_EQ(c.pixel(hi, 200), Black);
        EXPECT_EQ(c.pixel(200, lo), Black);
    }
    TCanvas c(4, 4);
    c.setPenWidth(1 << 30);
    EXPECT_EQ(c.penWidth(), CanvasMaxPenWidth);
    c.setPenWidth(-3);
    EXPECT_EQ(c.penWidth(), 1);
}

TEST(CanvasWidePen, DirectionDoesNotMatter) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> coord(-20, 120);
    for (int n = 0; n < 400; ++n) {
        const int width = 2 + n % 30;
        const int x0 = coord(rng), y0 = coord(rng), x1 = coord(rng), y1 = coord(rng);
        TCanvas forward(100, 100), backward(100, 100);
        forward.setPenWidth(width);
        backward.setPenWidth(width);
        forward.moveTo(x0, y0);
        forward.lineTo(x1, y1);
        backward.moveTo(x1, y1);
        backward.lineTo(x0, y0);
        ASSERT_TRUE(sameAsWindow(forward, backward, 0, 0))
            << width << " (" << x0 << "," << y0 << ")->(" << x1 << "," << y1 << ")";
    }
}

TEST(CanvasSurface, EmptySurfaceAndOutsideReads) {
    TCanvas c;
    c.setPenWidth(9);
    c.lineTo(5, 5);
    c.floodFillBorder(0, 0, 1);
    EXPECT_EQ(c.penPos(), (TPoint{5, 5}));
    TCanvas d(3, 3);
    d.setPixel(1, 1, 0x123456);
    EXPECT_EQ(d.pixel(1, 1), 0x123456u);
    EXPECT_EQ(d.bits()[4], 0xFF563412u); // 0xFFRRGGBB in memory
    EXPECT_EQ(d.pixel(-1, 0), InvalidColor);
    EXPECT_EQ(d.pixel(3, 0), InvalidColor);
    // A surface too large for memory fails and leaves the canvas as it was.
    EXPECT_THROW(d.resize(std::numeric_limits<int>::max(), std::numeric_limits<int>::max()),
                 std::length_error);
    EXPECT_EQ(d.width() * d.height(), 9);
    EXPECT_EQ(d.pixel(1, 1), 0x123456u);
}

} // namespace
