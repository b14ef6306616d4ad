// Thumbnails: the fit worked out by hand for wide, tall, single-point and
// empty drawings, and the command's failures.
#include "cli_common.h"
#include "export_replay.h"
#include "export_test_support.h"

#include <QImage>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::testing;

namespace {

// The outline of the box (x0, y0)-(x1, y1) with a pen of width 2.
std::vector<TDrawCommand> Outline(int x0, int y0, int x1, int y1) {
    return {P(2), M(x0, y0), L(x1, y0), L(x1, y1), L(x0, y1), L(x0, y0)};
}

QImage Thumbnail(const TempDir& dir, const std::vector<TDrawCommand>& records, int size) {
    WriteDrawing(dir / "in.vlgf", records);
    MakeThumbnail(dir / "in.vlgf", dir / "out.png", size);
    return QImage(QString::fromStdString(dir / "out.png")).convertToFormat(QImage::Format_RGB32);
}

// Rows (or columns) from..to inclusive are white.
bool WhiteRows(const QImage& im, int from, int to, bool columns = false) {
    for (int a = from; a <= to; ++a) {
        for (int b = 0; b < im.width(); ++b) {
            if (im.pixel(columns ? a : b, columns ? b : a) != 0xFFFFFFFFu) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

TEST(Thumbnail, ViewFitsTheBoxIntoTheSquareCentred) {
    // Box 200 x 50 into pixels 0..100: scale min(100/200, 100/50) = 0.5; the
    // box is 25 high, so it moves down Trunc(75 / 2) = 37.
    const struct {
        std::vector<TDrawCommand> records;
        int size;
        TViewParams view;
    } cases[] = {
        {Outline(100, 50, 300, 100), 101, {1366, 768, -50, -25 + 37, 0.0, 0.5}},
        {Outline(50, 100, 100, 300), 101, {1366, 768, -25 + 37, -50, 0.0, 0.5}},
        {{M(-20, 10), L(60, 10)}, 81, {1366, 768, 20, -10 + 40, 0.0, 1.0}}, // no height
        {{M(500, 500), L(500, 500)}, 64, {1366, 768, 32 - 500, 32 - 500, 0.0, 1.0}},
        {{C(0xFF), P(9), D(5)}, 64, DefaultView},
        // Points after an end marker are not shown, so they do not count.
        {{M(0, 0), L(10, 10), MakeEndMarker(), L(5000, 5000)}, 11, {1366, 768, 0, 0, 0.0, 1.0}},
    };
    for (const auto& c : cases) {
        const TViewParams v = ThumbnailView(MakeDrawing(c.records), c.size);
        EXPECT_EQ(v.OriginX, c.view.OriginX);
        EXPECT_EQ(v.OriginY, c.view.OriginY);
        EXPECT_EQ(v.Scale, c.view.Scale);
        EXPECT_EQ(v.Angle, 0.0);
    }
}

TEST(Thumbnail, WideTallPointAndEmptyDrawings) {
    TempDir dir;
    // Wide: the outline lands on rows 37 and 62 and columns 0 and 100.
    QImage wide = Thumbnail(dir, Outline(100, 50, 300, 100), 101);
    ASSERT_EQ(wide.size(), QSize(101, 101));
    EXPECT_TRUE(WhiteRows(wide, 0, 35));
    EXPECT_TRUE(WhiteRows(wide, 64, 100));
    for (int x = 0; x < 100; ++x) {
        ASSERT_EQ(wide.pixel(x, 37), 0xFF000000u) << x;
    }
    EXPECT_EQ(wide.pixel(100, 50), 0xFF000000u); // the far side is inside the square

    QImage tall = Thumbnail(dir, Outline(50, 100, 100, 300), 101);
    EXPECT_TRUE(WhiteRows(tall, 0, 35, true));
    EXPECT_TRUE(WhiteRows(tall, 64, 100, true));
    EXPECT_EQ(tall.pixel(37, 50), 0xFF000000u);
    EXPECT_EQ(tall.pixel(50, 100), 0xFF000000u);

    QImage dot = Thumbnail(dir, {P(10), M(500, 500), L(500, 500)}, 64);
    EXPECT_EQ(dot.pixel(32, 32), 0xFF000000u);
    EXPECT_TRUE(WhiteRows(dot, 0, 20));
    EXPECT_TRUE(WhiteRows(dot, 44, 63));

    QImage empty = Thumbnail(dir, {C(0xFF), P(5)}, 48);
    ASSERT_EQ(empty.size(), QSize(48, 48));
    EXPECT_TRUE(WhiteRows(empty, 0, 47));
}

TEST(Thumbnail, BadInputGivesOneLineStatusOneAndNoFile) {
    TempDir dir;
    WriteDrawing(dir / "ok.vlgf", {M(1, 1), L(9, 9)});
    WriteBytes(dir / "short.vlgf", "W1251");
    std::filesystem::create_directory(dir / "folder");
    const struct {
        Args args;
        int status;
    } cases[] = {
        {{dir / "missing.vlgf", dir / "o.png", "64"}, ExitFailure},
        {{dir / "folder", dir / "o.png", "64"}, ExitFailure},
        {{dir / "short.vlgf", dir / "o.png", "64"}, ExitFailure},
        {{dir / "ok.vlgf", dir / "nowhere/o.png", "64"}, ExitFailure},
        {{dir / "ok.vlgf", dir / "folder", "64"}, ExitFailure},
        {{dir / "ok.vlgf", dir / "ok.vlgf", "64"}, ExitFailure},
        {{dir / "ok.vlgf", dir / "o.png", "0"}, ExitUsage},
        {{dir / "ok.vlgf", dir / "o.png", "12x"}, ExitUsage},
        {{dir / "ok.vlgf", dir / "o.png"}, ExitUsage},
    };
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RunThumbnail(c.args), c.status) << c.args[0] << " " << c.args[1];
        const std::string said = ::testing::internal::GetCapturedStderr();
        if (c.status == ExitFailure) {
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
            EXPECT_EQ(said.rfind("vellograph-cli thumbnail: ", 0), 0u) << said;
        }
    }
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"folder", "ok.vlgf", "short.vlgf"}));
    EXPECT_EQ(ReadBytes(dir / "ok.vlgf").size(), HeaderSize + 12);
}
