// Thumbnails: the fit worked out by hand for wide, tall, single-point and
// empty drawings, and the command's failures.
#include "cli/cli_common.h"
#include "cli/export/export_replay.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"
#include "tests/support/test_records.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::test;

namespace {

// The outline of the box (x0, y0)-(x1, y1) with a pen of width 2.
TRecords Outline(int x0, int y0, int x1, int y1) {
    return {Width(2), Move(x0, y0), Line(x1, y0), Line(x1, y1), Line(x0, y1), Line(x0, y0)};
}

// The rows y0..y1 of the image, as a string of '#' (black), '.' (white), '?'.
std::string Rows(const QImage& im, int y0, int y1) {
    std::string s;
    for (int y = y0; y <= y1; ++y) {
        for (int x = 0; x < im.width(); ++x) {
            const QRgb p = im.pixel(x, y);
            s += p == 0xFF000000u ? '#' : p == 0xFFFFFFFFu ? '.' : '?';
        }
    }
    return s;
}

} // namespace

TEST(Thumbnail, FitsTheBoxIntoTheSquareCentred) {
    // Box 200 x 50 into pixels 0..100: scale min(100/200, 100/50) = 0.5, so
    // 100 x 25, moved down Trunc(75 / 2) = 37: rows 37 and 62.
    const struct {
        TRecords records;
        int size, originX, originY;
        double scale;
    } cases[] = {
        {Outline(100, 50, 300, 100), 101, -50, -25 + 37, 0.5},
        {Outline(50, 100, 100, 300), 101, -25 + 37, -50, 0.5},
        {{Move(-20, 10), Line(60, 10)}, 81, 20, -10 + 40, 1.0},          // no height
        {{Move(500, 500), Line(500, 500)}, 64, 32 - 500, 32 - 500, 1.0}, // one point, in the middle
        {{Color(0xFF), Width(9), Delay(5)}, 64, 0, 0, 1.0},              // no point
        // Points after an end marker are not shown, so they do not count.
        {{Move(0, 0), Line(10, 10), MakeEndMarker(), Line(5000, 5000)}, 11, 0, 0, 1.0},
    };
    for (const auto& c : cases) {
        const TViewParams v = ThumbnailView(MakeDrawing(c.records), c.size);
        EXPECT_EQ(v.OriginX, c.originX);
        EXPECT_EQ(v.OriginY, c.originY);
        EXPECT_EQ(v.Scale, c.scale);
        EXPECT_EQ(v.Angle, 0.0);
    }
}

TEST(Thumbnail, WideTallPointAndEmptyPictures) {
    TempDir dir;
    auto thumbnail = [&](const TRecords& records, int size) {
        WriteBytes(dir.file("in.vlgf"), DrawingFile(records));
        MakeThumbnail(dir.file("in.vlgf"), dir.file("out.png"), size);
        const QImage im(QString::fromStdString(dir.file("out.png")));
        EXPECT_EQ(im.size(), QSize(size, size));
        return im.convertToFormat(QImage::Format_RGB32);
    };
    const QImage wide = thumbnail(Outline(100, 50, 300, 100), 101);
    EXPECT_EQ(Rows(wide, 0, 36), std::string(37 * 101, '.'));
    EXPECT_EQ(Rows(wide, 37, 37), std::string(100, '#') + "#"); // the far corner is inside
    EXPECT_EQ(Rows(wide, 50, 50), "#" + std::string(99, '.') + "#");
    EXPECT_EQ(Rows(wide, 63, 100), std::string(38 * 101, '.'));
    const QImage tall = thumbnail(Outline(50, 100, 100, 300), 101);
    EXPECT_EQ(Rows(tall, 50, 50),
              std::string(37, '.') + "#" + std::string(24, '.') + "#" + std::string(38, '.'));
    const QImage dot = thumbnail({Width(10), Move(500, 500), Line(500, 500)}, 64);
    EXPECT_EQ(dot.pixel(32, 32), 0xFF000000u);
    EXPECT_EQ(Rows(dot, 0, 20) + Rows(dot, 44, 63), std::string(41 * 64, '.'));
    EXPECT_EQ(Rows(thumbnail({Color(0xFF), Width(5)}, 48), 0, 47), std::string(48 * 48, '.'));
}

TEST(Thumbnail, BadInputGivesOneLineStatusOneAndNoFile) {
    TempDir dir;
    WriteBytes(dir.file("ok.vlgf"), DrawingFile({Move(1, 1), Line(9, 9)}));
    WriteBytes(dir.file("short.vlgf"), "W1251");
    std::filesystem::create_directory(dir.file("folder"));
    const struct {
        Args args;
        int status;
    } cases[] = {
        {{dir.file("missing.vlgf"), dir.file("o.png"), "64"}, ExitFailure},
        {{dir.file("folder"), dir.file("o.png"), "64"}, ExitFailure},
        {{dir.file("short.vlgf"), dir.file("o.png"), "64"}, ExitFailure},
        {{dir.file("ok.vlgf"), dir.file("nowhere/o.png"), "64"}, ExitFailure},
        {{dir.file("ok.vlgf"), dir.file("folder"), "64"}, ExitFailure},
        {{dir.file("ok.vlgf"), dir.file("ok.vlgf"), "64"}, ExitFailure},
        {{dir.file("ok.vlgf"), dir.file("o.png"), "0"}, ExitUsage},
        {{dir.file("ok.vlgf"), dir.file("o.png")}, ExitUsage},
    };
    for (const auto& c : cases) {
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RunThumbnail(c.args), c.status) << c.args[0] << " " << c.args[1];
        const std::string said = ::testing::internal::GetCapturedStderr();
        if (c.status == ExitFailure) {
            EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
            EXPECT_EQ(said.rfind("vellograph-cli: cannot ", 0), 0u) << said;
        }
    }
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"folder", "ok.vlgf", "short.vlgf"}));
    EXPECT_EQ(ReadBytes(dir.file("ok.vlgf")).size(), HeaderSize + 12);
}
