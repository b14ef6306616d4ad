// Replay frames: how many, and that each equals a playback stopped there.
#include "cli_common.h"
#include "export_replay.h"
#include "export_test_support.h"
#include "render.h"

#include <QImage>

#include <chrono>
#include <cstring>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::testing;

namespace {

// Freehand-like strokes with changes of colour and width, a fill and a delay.
std::vector<TDrawCommand> Scribble(int strokes) {
    std::vector<TDrawCommand> r;
    unsigned seed = 7;
    auto next = [&](int n) {
        return static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % n;
    };
    for (int s = 0; s < strokes; ++s) {
        if (s % 3 == 0) {
            r.push_back(C(static_cast<TColor>(next(0x7FFF)) * 0x1FF));
            r.push_back(P(1 + next(9)));
        }
        if (s == strokes / 2) {
            r.push_back(E(0xCCFFCC));
            r.push_back(D(5000));
        }
        int x = next(160), y = next(120);
        r.push_back(M(x, y));
        for (int k = next(12); k >= 0; --k) {
            r.push_back(L(x += next(21) - 10, y += next(21) - 10));
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
    const std::vector<TDrawCommand> many(130, M(1, 1));
    std::vector<TDrawCommand> ended(10, L(2, 2));
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
    const std::vector<TDrawCommand> records = Scribble(4); // a delay of 5 s among them
    const int count = static_cast<int>(records.size());
    const int frames = (count + 9) / 10;
    ASSERT_LT(frames, 10);
    WriteDrawing(dir / "in.vlgf", records);
    std::filesystem::create_directory(dir / "out");
    std::vector<std::string> want;
    for (int k = 0; k < 12; ++k) {
        const std::string name =
            "frame_0000" + std::string(k < 10 ? "0" : "") + std::to_string(k) + ".png";
        WriteBytes(dir / ("out/" + name), "stale");
        if (k < frames) {
            want.push_back(name);
        }
    }
    WriteBytes(dir / "out/keep.txt", "mine");
    want.push_back("keep.txt");

    const auto t0 = std::chrono::steady_clock::now();
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(RunFrames({dir / "in.vlgf", dir / "out", "--every", "10", "--size", "64x48"}),
              ExitOk);
    const std::string said = ::testing::internal::GetCapturedStdout();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(3)); // delays do not wait
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"in.vlgf", "out"}));
    std::vector<std::string> written;
    for (const auto& e : std::filesystem::directory_iterator(dir / "out")) {
        written.push_back(e.path().filename().string());
    }
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, want); // the leftovers that would continue the numbering are gone
    EXPECT_NE(said.find("ffmpeg -framerate 30 -i '" + dir / "out" + "/frame_%06d.png'"),
              std::string::npos)
        << said;

    QImage last(
        QString::fromStdString(dir / "out" + "/" + want[static_cast<std::size_t>(frames - 1)]));
    const TCanvas direct = DirectRender(MakeDrawing(records), count, 64, 48, DefaultView);
    ASSERT_EQ(last.size(), QSize(64, 48));
    last = last.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 48; ++y) {
        ASSERT_EQ(std::memcmp(last.constScanLine(y), direct.bits() + y * 64, 64 * 4), 0) << y;
    }

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunFrames({dir / "in.vlgf", dir / "out", "--every", "0"}), ExitUsage);
    EXPECT_EQ(RunFrames({dir / "in.vlgf", dir / "in.vlgf"}), ExitFailure); // not a directory
    ::testing::internal::GetCapturedStderr();
}
