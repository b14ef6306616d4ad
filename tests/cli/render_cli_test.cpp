// vellograph-cli render: the pictures it writes.
#include "tests/cli/render_cli_fixture.h"

#include <chrono>

using namespace vellograph;
using namespace vellograph::test;

namespace {

TEST_F(RenderCli, WritesTheSamePictureAsBmpAndPng) {
    const fs::path in = WriteDrawing("cross.vlgf", Cross());
    std::map<std::pair<int, int>, QRgb> expected;
    for (int x = 2; x <= 7; ++x) {
        expected[{x, 3}] = Black;
    }
    for (int y = 1; y <= 5; ++y) {
        expected[{5, y}] = Red;
    }
    for (const char* name : {"cross.bmp", "cross.png", "CROSS.PNG"}) {
        SCOPED_TRACE(name);
        const fs::path out = dir / "out" / name;
        const Outcome r = Run({in.string(), out.string(), "--size", "10x8"});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "");
        const QImage image(QString::fromStdString(out.string()));
        ASSERT_EQ(image.size(), QSize(10, 8));
        EXPECT_EQ(Ink(image), expected);
    }
    EXPECT_EQ(ReadBytes(dir / "out" / "cross.bmp").substr(0, 2), "BM");
    EXPECT_EQ(ReadBytes(dir / "out" / "cross.png").substr(1, 3), "PNG");
    EXPECT_EQ(fs::file_size(dir / "out" / "cross.bmp"), 54u + 32u * 8u);
}

TEST_F(RenderCli, ViewOptionsPlaceTheDrawing) {
    const fs::path in = WriteDrawing("line.vlgf", {Width(1), Move(2, 3), Line(8, 3)});
    const fs::path out = dir / "out" / "line.png";
    const struct {
        std::vector<std::string> options;
        int fromX, toX, fromY, toY; // the expected black pixels, inclusive
    } cases[] = {
        {{}, 2, 7, 3, 3},
        {{"--origin", "1,2"}, 3, 8, 5, 5},
        {{"--origin=-1,0"}, 1, 6, 3, 3},
        {{"--scale", "0.5"}, 1, 3, 1, 1}, // width Trunc(0.5) still draws 1 pixel
        {{"--angle", "1.5707963267948966", "--origin", "0,9"}, 3, 3, 2, 7},
        {{"--size=20x4", "--scale=1"}, 2, 7, 3, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.options));
        std::vector<std::string> args{in.string(), out.string(), "--size", "10x10"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Outcome r = Run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        std::map<std::pair<int, int>, QRgb> expected;
        for (int y = c.fromY; y <= c.toY; ++y) {
            for (int x = c.fromX; x <= c.toX; ++x) {
                expected[{x, y}] = Black;
            }
        }
        EXPECT_EQ(Ink(QImage(QString::fromStdString(out.string()))), expected);
    }
}

TEST_F(RenderCli, DelaysDoNotWaitAndPenStartsAtItsDefaults) {
    // No "c" or "p" record: black, width 2. Fills and long delays play at once.
    TRecords records{Fill(0x00FF00)};
    records.insert(records.end(), 5, Delay(10000));
    records.push_back(Move(2, 5));
    records.push_back(Line(30, 5));
    const fs::path in = WriteDrawing("slow.vlgf", records);
    const fs::path out = dir / "out" / "slow.bmp";
    const auto began = std::chrono::steady_clock::now();
    const Outcome r = Run({in.string(), out.string(), "--size", "40x12"});
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
    ASSERT_EQ(r.status, 0) << r.err;
    const QImage image(QString::fromStdString(out.string()));
    EXPECT_EQ(image.pixel(0, 0), Green);
    EXPECT_EQ(image.pixel(39, 11), Green);
    EXPECT_EQ(image.pixel(15, 5), Black);
    EXPECT_EQ(image.pixel(15, 8), Green); // not the 1-pixel pen either
}

TEST_F(RenderCli, ReplacesAnExistingPicture) {
    const fs::path in = WriteDrawing("cross.vlgf", Cross());
    const fs::path out = dir / "out" / "old.png";
    std::ofstream(out) << "an old picture";
    const Outcome r = Run({in.string(), out.string(), "--size", "10x8"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(QImage(QString::fromStdString(out.string())).size(), QSize(10, 8));
    EXPECT_EQ(Listing(dir / "out"), std::set<std::string>{"old.png"});
}

} // namespace
