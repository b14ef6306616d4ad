// Border flood fill: seeds, gaps, a brush of the border colour, and the fast whole-surface path.
#include "engine/raster/canvas.h"
#include "engine/raster/canvas_raster.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace vellograph;

namespace {

constexpr TColor White = 0xFFFFFF;
constexpr TColor Border = 0x000001;
constexpr TColor Green = 0x00FF00;

std::vector<TColor> pixels(const TCanvas& c) {
    std::vector<TColor> out;
    for (int y = 0; y < c.height(); ++y) {
        for (int x = 0; x < c.width(); ++x) {
            out.push_back(c.pixel(x, y));
        }
    }
    return out;
}

// The region by the definition: a plain 4-neighbour search from the seed.
std::vector<bool> naiveRegion(const TCanvas& c, int sx, int sy, TColor border) {
    const int w = c.width(), h = c.height();
    std::vector<bool> in(static_cast<std::size_t>(w) * h, false);
    if (c.pixel(sx, sy) == InvalidColor || c.pixel(sx, sy) == border) {
        return in;
    }
    std::vector<std::pair<int, int>> todo{{sx, sy}};
    in[static_cast<std::size_t>(sy) * w + sx] = true;
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        const std::pair<int, int> next[] = {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}};
        for (const auto& [nx, ny] : next) {
            const TColor p = c.pixel(nx, ny);
            if (p != InvalidColor && p != border && !in[static_cast<std::size_t>(ny) * w + nx]) {
                in[static_cast<std::size_t>(ny) * w + nx] = true;
                todo.emplace_back(nx, ny);
            }
        }
    }
    return in;
}

// Random strokes in a few colours; some in the border colour when asked.
TCanvas scribble(int w, int h, unsigned seed, int borderStrokes) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> x(-10, w + 10), y(-10, h + 10), width(1, 4);
    const TColor colors[] = {0x000000, 0x0000FF, 0x010000, 0x00FF00};
    TCanvas c(w, h);
    for (int n = 0; n < 12 + borderStrokes; ++n) {
        c.setPenColor(n < borderStrokes ? Border : colors[n % 4]);
        c.setPenWidth(width(rng));
        c.moveTo(x(rng), y(rng));
        for (int k = 0; k < 4; ++k) {
            c.lineTo(x(rng), y(rng));
        }
    }
    return c;
}

TEST(FloodFill, PaintsExactlyTheRegionWhateverTheBrush) {
    // Both the whole-row pass and the general search are checked against the
    // definition: border strokes absent, few or many, seeds anywhere, and a
    // brush of the border colour, a colour already on the surface or a new one.
    std::mt19937 rng(3);
    for (unsigned image = 0; image < 60; ++image) {
        const int borderStrokes = image % 3 == 0 ? 0 : static_cast<int>(image % 7);
        const TCanvas before = scribble(97, 61, image, borderStrokes);
        std::uniform_int_distribution<int> sx(0, 96), sy(0, 60);
        for (const TColor brush : {Border, Green, 0x0000FFu, 0x123456u}) {
            const int x = sx(rng), y = sy(rng);
            const std::vector<bool> region = naiveRegion(before, x, y, Border);
            TCanvas c = before;
            c.setBrushColor(brush);
            c.floodFillBorder(x, y, Border);
            const std::vector<TColor> old = pixels(before), now = pixels(c);
            for (std::size_t i = 0; i < now.size(); ++i) {
                ASSERT_EQ(now[i], region[i] ? brush : old[i])
                    << "image " << image << " seed " << x << "," << y << " brush " << brush
                    << " pixel " << i % 97 << "," << i / 97;
            }
        }
    }
}

TEST(FloodFill, SeedsThatPaintNothing) {
    TCanvas c(8, 8);
    c.setPixel(3, 3, Border);
    c.bits()[4 * 8 + 4] = 0x00010000u; // the border colour with a zero top byte
    c.setBrushColor(Green);
    const std::vector<TColor> before = pixels(c);
    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {8, 0}, {0, 8}, {3, 3}, {4, 4}}) {
        c.floodFillBorder(x, y, Border);
        EXPECT_EQ(pixels(c), before) << x << "," << y;
    }
}

TEST(FloodFill, RunsTheRowRoutinesTheRunAsksFor) {
    // The runs of these tests under VELLOGRAPH_NO_SIMD and VELLOGRAPH_NO_AVX2
    // are worth something only if the variables take effect.
    const std::string name = raster::Rows().name;
    if (std::getenv("VELLOGRAPH_NO_SIMD") != nullptr) {
        EXPECT_EQ(name, "Scalar");
    } else if (std::getenv("VELLOGRAPH_NO_AVX2") != nullptr) {
        EXPECT_NE(name, "Avx2");
    }
}

TEST(FloodFill, ComparesAllTwentyFourBits) {
    // Colours one step away from the border in each channel are painted over.
    TCanvas c(5, 1);
    c.setPixel(0, 0, 0x000000);
    c.setPixel(1, 0, 0x000101);
    c.setPixel(2, 0, 0x010001);
    c.setPixel(3, 0, Border);
    c.setBrushColor(Green);
    c.floodFillBorder(0, 0, Border);
    EXPECT_EQ(pixels(c), (std::vector<TColor>{Green, Green, Green, Border, White}));
}

TEST(FloodFill, DiagonalGapHoldsAndBorderBrushFillsOnce) {
    // A 1-pixel diagonal is closed to a 4-connected fill.
    TCanvas c(6, 6);
    c.setPenColor(Border);
    c.moveTo(0, 5);
    c.lineTo(6, -1);
    c.setBrushColor(Border);
    c.floodFillBorder(0, 0, Border);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(c.pixel(x, y), x + y <= 5 ? Border : White) << x << "," << y;
        }
    }
    // The seed now has the border colour: a second fill does nothing.
    c.setBrushColor(Green);
    c.floodFillBorder(0, 0, Border);
    EXPECT_EQ(c.pixel(0, 0), Border);
}

TEST(FloodFill, WholeSurfaceWithoutBorderPixels) {
    TCanvas c(300, 200);
    c.setPenColor(0x000000);
    c.setPenWidth(5);
    c.moveTo(0, 0);
    c.lineTo(299, 199);
    c.setBrushColor(0x808080);
    c.floodFillBorder(150, 10, Border);
    for (const TColor p : pixels(c)) {
        ASSERT_EQ(p, 0x808080u);
    }
}

} // namespace
