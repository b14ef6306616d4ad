// Thumbnails of a 100,000-record drawing against playing it at full size,
// and its video against ffmpeg encoding the same frames from a file.
#include "cli/cli_common.h"
#include "cli/export/export_replay.h"
#include "cli/export/ffmpeg_pipe.h"
#include "cli/export/video_export.h"
#include "engine/playback/render.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace vellograph;

namespace {

constexpr int FullWidth = 1920;
constexpr int FullHeight = 1080;

// Freehand strokes over a 1920 x 1080 page: short mouse steps, a new colour
// every few strokes and now and then another pen width.
const TAVecImage& Freehand100k() {
    static const TAVecImage drawing = [] {
        TAVecImage d;
        NewDrawing(d);
        d.Commands.clear();
        unsigned seed = 12345;
        auto next = [&](int n) {
            return static_cast<int>((seed = seed * 1664525u + 1013904223u) >> 8) % n;
        };
        while (d.Commands.size() < 100000) {
            if (next(4) == 0) {
                d.Commands.push_back(
                    MakeColorRecord(CmdColor, static_cast<TColor>(next(0xFFFFFF))));
            }
            if (next(8) == 0) {
                d.Commands.push_back(MakeNumberRecord(CmdPenWidth, 1 + next(6), 0));
            }
            int x = next(FullWidth), y = next(FullHeight);
            d.Commands.push_back(MakeNumberRecord(CmdMove, x, y));
            for (int k = 20 + next(180); k > 0 && d.Commands.size() < 100000; --k) {
                x = std::clamp(x + next(17) - 8, 0, FullWidth - 1);
                y = std::clamp(y + next(17) - 8, 0, FullHeight - 1);
                d.Commands.push_back(MakeNumberRecord(CmdLine, x, y));
            }
        }
        d.Commands.resize(100000);
        d.LastIndex = 100000 - 1;
        return d;
    }();
    return drawing;
}

// The baseline: one playback of every record onto a full-size white surface.
void BM_RenderFreehandFullSize100k(benchmark::State& state) {
    TAVecImage d = Freehand100k();
    TCanvas canvas;
    for (auto _ : state) {
        ResetRenderGlobals();
        canvas.resize(FullWidth, FullHeight);
        canvas.moveTo(0, 0);
        RenderDrawing(canvas, d, 0, 0, 0, d.LastIndex, 1.0, 0.0);
        benchmark::DoNotOptimize(canvas.bits());
    }
    ResetRenderGlobals();
}
BENCHMARK(BM_RenderFreehandFullSize100k)->Unit(benchmark::kMillisecond);

std::string BenchDir() {
    const std::string dir =
        std::filesystem::temp_directory_path() / ("vellograph-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

// The drawing as a file in the folder.
std::string WriteFreehand100k(const std::string& dir) {
    const std::string in = dir + "/freehand.vlgf";
    if (std::FILE* f = std::fopen(in.c_str(), "wb")) {
        std::fwrite(StandardHeader, 1, HeaderSize, f);
        std::fwrite(Freehand100k().Commands.data(), 6, Freehand100k().Commands.size(), f);
        std::fclose(f);
    }
    return in;
}

// What a file manager waits for: the whole command in-process, from reading
// the file to the PNG written and renamed into place (process start-up aside).
void BM_Thumbnail100k(benchmark::State& state) {
    const std::string dir = BenchDir();
    const std::string in = WriteFreehand100k(dir), out = dir + "/thumb.png";
    const int size = static_cast<int>(state.range(0));
    for (auto _ : state) {
        cli::MakeThumbnail(in, out, size);
    }
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Thumbnail100k)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

// The same without the file system: fit, play and encode the PNG in memory.
void BM_Thumbnail100kInMemory(benchmark::State& state) {
    TAVecImage d = Freehand100k();
    const int size = static_cast<int>(state.range(0));
    TCanvas canvas;
    for (auto _ : state) {
        cli::RenderPicture(canvas, size, size, d, cli::ThumbnailView(d, size));
        benchmark::DoNotOptimize(cli::EncodePng(canvas));
    }
}
BENCHMARK(BM_Thumbnail100kInMemory)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

// The video command's settings: an MP4 at the default size, fps and hold,
// the drawing fitted to the frame, about 20 seconds of strokes.
cli::VideoSettings VideoBenchSettings() {
    cli::VideoSettings s;
    s.fit = true;
    s.quiet = true;
    return s;
}

// The whole video command in-process: read, play, stream every frame to
// ffmpeg, and the file renamed into place. Real time: ffmpeg works in its
// own process.
void BM_VideoExport(benchmark::State& state) {
    const std::string dir = BenchDir();
    const std::string in = WriteFreehand100k(dir), out = dir + "/replay.mp4";
    std::int64_t frames = 0;
    for (auto _ : state) {
        frames = cli::MakeVideo(in, out, VideoBenchSettings()).frames;
    }
    state.counters["frames"] = static_cast<double>(frames);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_VideoExport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// The baseline: ffmpeg encoding the same frames with the same settings from
// a raw file already written (and, on a machine with the memory, cached).
void BM_FfmpegRawBaseline(benchmark::State& state) {
    const std::string dir = BenchDir();
    const std::string raw = dir + "/frames.raw", out = dir + "/baseline.mp4";
    const cli::VideoSettings s = VideoBenchSettings();
    TAVecImage d = Freehand100k();
    const std::int32_t perFrame = cli::DefaultRecordsPerFrame(cli::PlayedRecordCount(d), s.fps);
    cli::VideoTimeline timeline(d, perFrame, s.fps, std::llround(s.holdSeconds * s.fps));
    std::int64_t frames = 0, copies = 0;
    if (std::FILE* f = std::fopen(raw.c_str(), "wb")) {
        TCanvas canvas;
        cli::ReplayStretches(
            canvas, s.width, s.height, d, cli::FitView(d, s.width, s.height),
            [&](std::int32_t start) {
                const cli::VideoTimeline::Stretch next = timeline.next(start);
                copies = next.frames;
                return next.end;
            },
            [&](const TCanvas& c, std::int32_t) {
                for (std::int64_t k = 0; k < copies; ++k, ++frames) {
                    std::fwrite(c.bits(), c.bytesPerLine(), static_cast<std::size_t>(c.height()),
                                f);
                }
            });
        std::fclose(f);
    }
    for (auto _ : state) {
        cli::FfmpegPipe ffmpeg(cli::EncoderArgs(cli::VideoFormat::Mp4, s.width, s.height, s.fps,
                                                "file:" + raw, "file:" + out));
        ffmpeg.finish();
    }
    state.counters["frames"] = static_cast<double>(frames);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_FfmpegRawBaseline)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
