// Replay frames: how many, and that each equals a playback stopped there.
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/export/export_replay.h"
#include "engine/playback/render.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"
#include "tests/support/test_records.h"

#include <QImage>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::test;

namespace {

// Freehand-like strokes with changes of colour and width, a fill and a delay.
TRecords Scribble(int strokes) {
    TRecords r;
    unsigned seed = 7;
    auto next = [&](int n) {
        return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % n;
    };
    for (int s = 0; s < strokes; ++s) {
        if (s % 3 == 0) {
            r.push_back(Color(static_cast<TColor>(next(0x7FFF)) * 0x1FF));
            r.push_back(Width(1 + next(9)));
        }
        if (s == strokes / 2) {
            r.push_back(Fill(0xCCFFCC));
            r.push_back(Delay(5000));
        }
        int x = next(160), y = next(120);
        r.push_back(Move(x, y));
        for (int k = next(12); k >= 0; --k) {
            r.push_back(Line(x += next(21) - 10, y += next(21) - 10));
        }
    }
    return r;
}

// Playback of the first `count` records on a fresh surface, with no help
// from the export code.
TCanvas DirectRender(TAVecImage d, std::int32_t count, int w, int h, const TViewParams& v) {
    InstantHost host;
    ScopedHost scoped(host);
    ResetRenderGlobals();
    TCanvas canvas(w, h);
    RenderDrawing(canvas, d, v.OriginX, v.OriginY, 0, count - 1, v.Scale, v.Angle);
    ResetRenderGlobals();
    return canvas;
}

bool SamePixels(const TCanvas& a, const TCanvas& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::memcmp(a.bits(), b.bits(),
                       a.bytesPerLine() * static_cast<std::size_t>(a.height())) == 0;
}

} // namespace

TEST(ExportFrames, OneEveryNRecordsPlusTheFinishedPicture) {
    const TRecords many(130, Move(1, 1));
    TRecords ended(10, Line(2, 2));
    ended[4] = MakeEndMarker();
    const struct {
        TAVecImage drawing;
        std::int32_t every;
        std::vector<std::int32_t> snapshots;
    } cases[] = {{MakeDrawing(many), 64, {64, 128, 130}},
                 {MakeDrawing({many.begin(), many.begin() + 128}), 64, {64, 128}},
                 {MakeDrawing({}), 64, {0}},
                 {MakeDrawing(ended), 3, {3, 4}}};
    for (auto c : cases) {
        std::vector<std::int32_t> seen;
        TCanvas canvas;
        const auto n = Replay(canvas, 8, 8, c.drawing, DefaultView, c.every,
                              [&](const TCanvas&, std::int32_t played) { seen.push_back(played); });
        EXPECT_EQ(seen, c.snapshots);
        EXPECT_EQ(n, static_cast<std::int32_t>(seen.size()));
    }
}

TEST(ExportFrames, EachFrameEqualsAPlaybackStoppedThere) {
    TAVecImage d = MakeDrawing(Scribble(60));
    const TViewParams view{0, 0, -20, 15, 0.2, 1.3};
    int frames = 0;
    TCanvas canvas;
    Replay(canvas, 170, 130, d, view, 37, [&](const TCanvas& c, std::int32_t played) {
        ++frames;
        EXPECT_TRUE(SamePixels(c, DirectRender(d, played, 170, 130, view))) << played;
    });
    EXPECT_GT(frames, 5);
}

TEST(ExportFrames, CommandWritesNumberedPngsAndDropsLeftovers) {
    TempDir dir;
    const TRecords records = Scribble(4); // with a delay of 5 s
    const int count = static_cast<int>(records.size());
    ASSERT_GT(count, 36);
    ASSERT_LE(count, 48); // four frames of 12 records
    WriteBytes(dir.file("in.vlgf"), DrawingFile(records));
    std::filesystem::create_directory(dir.file("out"));
    for (const char* leftover :
         {"frame_000004.png", "frame_000005.png", "frame_000007.png", "keep.txt"}) {
        WriteBytes(dir.file("out/") + leftover, "old");
    }
    const auto t0 = std::chrono::steady_clock::now();
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(RunFrames({dir.file("in.vlgf"), dir.file("out"), "--every", "12", "--size", "64x48"}),
              ExitOk);
    const std::string said = ::testing::internal::GetCapturedStdout();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3)); // no waiting
    // 4 and 5 would have joined this replay's video; 7 is past the gap.
    EXPECT_EQ(Listing(dir.path() / "out"),
              (std::set<std::string>{"frame_000000.png", "frame_000001.png", "frame_000002.png",
                                     "frame_000003.png", "frame_000007.png", "keep.txt"}));
    EXPECT_NE(said.find("ffmpeg -framerate 30 -i '" + dir.file("out") + "/frame_%06d.png'"),
              std::string::npos)
        << said;

    QImage last(QString::fromStdString(dir.file("out/frame_000003.png")));
    last = last.convertToFormat(QImage::Format_RGB32);
    const TCanvas direct = DirectRender(MakeDrawing(records), count, 64, 48, DefaultView);
    ASSERT_EQ(last.size(), QSize(64, 48));
    for (int y = 0; y < 48; ++y) {
        ASSERT_EQ(std::memcmp(last.constScanLine(y), direct.bits() + y * 64, 64 * 4), 0) << y;
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunFrames({dir.file("in.vlgf"), dir.file("out"), "--every", "0"}), ExitUsage);
    EXPECT_EQ(RunFrames({dir.file("in.vlgf"), dir.file("in.vlgf")}),
              ExitFailure); // not a directory
    ::testing::internal::GetCapturedStderr();
}

// Slides: the delays split the steps; the last slide is the finished picture.
TEST(ExportSlides, OneSlidePerStepAsPicturesOrPdfPages) {
    TempDir dir;
    const TRecords steps = {
        Move(2, 2),  Line(40, 30), Delay(100),     Delay(5),    Color(0x0000FF),
        Line(60, 5), Delay(100),   Fill(0xCCFFCC), Move(1, 40), Line(30, 44)};
    const struct {
        TRecords records;
        std::size_t slides;
    } cases[] = {{steps, 3},                              // a step of delays only is no slide
                 {{steps.begin(), steps.begin() + 7}, 2}, // a delay at the end adds none
                 {{Move(1, 1), Line(9, 9)}, 1},
                 {{}, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records.size());
        WriteBytes(dir.file("in.vlgf"), DrawingFile(c.records));
        std::filesystem::create_directory(dir.file("out"));
        WriteBytes(dir.file("out/slide_004.png"), "left over");
        ::testing::internal::CaptureStdout();
        ASSERT_EQ(RunSlides({dir.file("in.vlgf"), dir.file("out"), "--size", "64x48"}), ExitOk);
        ASSERT_EQ(RunSlides({dir.file("in.vlgf"), dir.file("h.pdf"), "--size", "64x48"}), ExitOk);
        ::testing::internal::GetCapturedStdout();
        const std::set<std::string> names = Listing(dir.path() / "out");
        ASSERT_EQ(names.size(), c.slides);
        QImage last(QString::fromStdString(dir.file("out/" + *names.rbegin())));
        last = last.convertToFormat(QImage::Format_RGB32);
        const TCanvas direct =
            DirectRender(MakeDrawing(c.records), static_cast<std::int32_t>(c.records.size()), 64,
                         48, DefaultView);
        for (int y = 0; y < 48; ++y) {
            ASSERT_EQ(std::memcmp(last.constScanLine(y), direct.bits() + y * 64, 64 * 4), 0) << y;
        }
        const std::string pdf = ReadBytes(dir.file("h.pdf"));
        std::size_t pages = 0;
        for (auto at = pdf.find("/Type /Page\n"); at != std::string::npos;
             at = pdf.find("/Type /Page\n", at + 1)) {
            ++pages;
        }
        EXPECT_EQ(pages, c.slides);
        EXPECT_EQ(pdf.find("DCTDecode"), std::string::npos); // pictures kept lossless
        std::filesystem::remove_all(dir.file("out"));
    }
}
