// Runs every GDI reference script on the canvas and compares all pixels with its image.
#include "engine/raster/canvas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using namespace vellograph;
namespace fs = std::filesystem;

namespace {

const fs::path DataDir = fs::path(VELLOGRAPH_TEST_DATA) / "gdi-reference";

struct Image {
    int width = 0;
    int height = 0;
    std::vector<TColor> pixels; // 0x00BBGGRR, top row first
};

std::uint32_t le(const std::vector<unsigned char>& d, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | d.at(at + i);
    }
    return v;
}

// Reads the uncompressed 24-bit Windows bitmaps of the reference set.
Image readBmp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> d{std::istreambuf_iterator<char>(in), {}};
    Image img;
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M' || le(d, 28, 2) != 24 || le(d, 30, 4) != 0) {
        ADD_FAILURE() << "not an uncompressed 24-bit bitmap: " << path;
        return img;
    }
    const std::uint32_t offset = le(d, 10, 4);
    img.width = static_cast<std::int32_t>(le(d, 18, 4));
    const auto rawHeight = static_cast<std::int32_t>(le(d, 22, 4));
    img.height = rawHeight < 0 ? -rawHeight : rawHeight;
    const std::size_t stride = (static_cast<std::size_t>(img.width) * 3 + 3) & ~std::size_t{3};
    img.pixels.resize(static_cast<std::size_t>(img.width) * img.height);
    for (int y = 0; y < img.height; ++y) {
        const int fileRow = rawHeight > 0 ? img.height - 1 - y : y; // bottom-up unless negative
        for (int x = 0; x < img.width; ++x) {
            const std::size_t at = offset + fileRow * stride + 3 * static_cast<std::size_t>(x);
            // Stored blue, green, red.
            img.pixels[static_cast<std::size_t>(y) * img.width + x] =
                (static_cast<TColor>(d.at(at)) << 16) | (d.at(at + 1) << 8) | d.at(at + 2);
        }
    }
    return img;
}

std::int32_t number(const std::string& token) {
    return static_cast<std::int32_t>(std::stoll(token, nullptr, 0));
}

// Plays a script; the surface starts white with a black 1-pixel pen, a white
// brush and the pen at (0, 0).
TCanvas runScript(const fs::path& path) {
    TCanvas canvas;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string op;
        if (!(words >> op)) {
            continue;
        }
        std::vector<std::int32_t> a;
        for (std::string t; words >> t;) {
            a.push_back(number(t));
        }
        if (op == "size") {
            canvas = TCanvas(a.at(0), a.at(1));
        } else if (op == "pen") {
            canvas.setPenColor(static_cast<TColor>(a.at(0)));
            canvas.setPenWidth(a.at(1));
        } else if (op == "brush") {
            canvas.setBrushColor(static_cast<TColor>(a.at(0)));
        } else if (op == "move") {
            canvas.moveTo(a.at(0), a.at(1));
        } else if (op == "line") {
            canvas.lineTo(a.at(0), a.at(1));
        } else if (op == "floodborder") {
            canvas.floodFillBorder(a.at(0), a.at(1), static_cast<TColor>(a.at(2)));
        } else if (op == "pixel") {
            canvas.setPixel(a.at(0), a.at(1), static_cast<TColor>(a.at(2)));
        } else {
            ADD_FAILURE() << "unknown operation " << op << " in " << path;
        }
    }
    return canvas;
}

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(DataDir / "cases")) {
        if (entry.path().extension() == ".txt") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class GdiReference : public testing::TestWithParam<std::string> {};

TEST_P(GdiReference, EveryPixelMatches) {
    const TCanvas canvas = runScript(DataDir / "cases" / (GetParam() + ".txt"));
    const Image ref = readBmp(DataDir / "refs" / (GetParam() + ".bmp"));
    ASSERT_EQ(canvas.width(), ref.width);
    ASSERT_EQ(canvas.height(), ref.height);
    int wrong = 0;
    std::ostringstream first;
    for (int y = 0; y < ref.height; ++y) {
        for (int x = 0; x < ref.width; ++x) {
            const TColor want = ref.pixels[static_cast<std::size_t>(y) * ref.width + x];
            const TColor got = canvas.pixel(x, y);
            if (got != want && ++wrong <= 10) {
                first << " (" << x << "," << y << ") want " << std::hex << want << " got " << got
                      << std::dec;
            }
        }
    }
    EXPECT_EQ(wrong, 0) << "first:" << first.str();
}

INSTANTIATE_TEST_SUITE_P(Cases, GdiReference, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return info.param;
                         });

TEST(GdiReferenceSet, IsComplete) {
    EXPECT_EQ(caseNames().size(), 22u);
}

} // namespace
