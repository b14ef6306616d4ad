// Playback and clearing speed, each against its baseline in the same run.
#include "engine/format/drawing.h"
#include "engine/playback/host.h"
#include "engine/playback/render.h"
#include "engine/playback/view.h"
#include "engine/raster/canvas.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <random>
#include <vector>

using namespace vellograph;

namespace {

constexpr int SurfaceW = 1920;
constexpr int SurfaceH = 1080;
constexpr int Segments = 1000000;

class IdleHost : public ConsoleHost {
public:
    void ProcessMessages() override {}
};

constexpr int BigRecords = 20000000;

// A freehand random walk: a move, then one "l" record per step of 1 to 4
// pixels, kept on the surface. Every walk starts like every other, so a
// longer one is the shorter one drawn on.
TAVecImage FreehandWalk(int segments) {
    TAVecImage d;
    d.Commands.reserve(static_cast<std::size_t>(segments) + 1);
    std::mt19937 rng(2024);
    std::uniform_int_distribution<int> step(-4, 4);
    int x = SurfaceW / 2, y = SurfaceH / 2;
    d.Commands.push_back(MakeNumberRecord(CmdMove, x, y));
    while (static_cast<int>(d.Commands.size()) <= segments) {
        const int dx = step(rng), dy = step(rng);
        if (dx == 0 && dy == 0) {
            continue;
        }
        x = (x + dx < 0 || x + dx >= SurfaceW) ? x - dx : x + dx;
        y = (y + dy < 0 || y + dy >= SurfaceH) ? y - dy : y + dy;
        d.Commands.push_back(MakeNumberRecord(CmdLine, x, y));
    }
    d.LastIndex = static_cast<std::int32_t>(d.Commands.size()) - 1;
    return d;
}

const TAVecImage& freehand() {
    static const TAVecImage drawing = FreehandWalk(Segments);
    return drawing;
}

void BM_RenderFreehand(benchmark::State& state) {
    IdleHost host;
    const ScopedHost installed(host);
    ResetRenderGlobals();
    PenWidth = static_cast<std::int32_t>(state.range(0));
    TAVecImage drawing = freehand();
    TCanvas canvas(SurfaceW, SurfaceH);
    for (auto _ : state) {
        const PaceOverride pace(PaceFastReplay);
        RenderDrawing(canvas, drawing, 0, 0, 0, drawing.LastIndex, 1.0, 0.0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Segments);
    ResetRenderGlobals();
}
BENCHMARK(BM_RenderFreehand)->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

// The same walk twenty times as long (120 MB of records) at pen width 2: the
// cost per record must stay that of BM_RenderFreehand/2, nothing growing
// with the drawing's length.
void BM_Render20M(benchmark::State& state) {
    static TAVecImage drawing = FreehandWalk(BigRecords - 1);
    IdleHost host;
    const ScopedHost installed(host);
    ResetRenderGlobals();
    TCanvas canvas(SurfaceW, SurfaceH);
    for (auto _ : state) {
        const PaceOverride pace(PaceFastReplay);
        RenderDrawing(canvas, drawing, 0, 0, 0, drawing.LastIndex, 1.0, 0.0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * BigRecords);
    ResetRenderGlobals();
}
BENCHMARK(BM_Render20M)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_QPainterFreehand(benchmark::State& state) {
    std::vector<QPoint> points;
    for (const TDrawCommand& r : freehand().Commands) {
        points.emplace_back(RecordX(r), RecordY(r));
    }
    QImage image(SurfaceW, SurfaceH, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int width = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(0, 0, 0), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (std::size_t i = 1; i < points.size(); ++i) {
            painter.drawLine(points[i - 1], points[i]);
        }
        painter.end();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Segments);
}
BENCHMARK(BM_QPainterFreehand)->Arg(1)->Arg(2)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_RenderCodecOnly(benchmark::State& state) {
    const TAVecImage& drawing = freehand();
    const TViewMapper mapper(0, 0, 1.0, 0.0);
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (const TDrawCommand& r : drawing.Commands) {
            const TPoint p = mapper.map(RecordX(r), RecordY(r));
            sum += p.x ^ p.y;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * Segments);
}
BENCHMARK(BM_RenderCodecOnly)->Unit(benchmark::kMillisecond);

// A surface with black and coloured strokes and, if asked, a closed loop of
// the clearing border colour around its middle.
std::vector<std::uint32_t> strokedSurface(bool withBorderLoop) {
    TCanvas canvas(SurfaceW, SurfaceH);
    const TAVecImage& drawing = freehand();
    canvas.setPenWidth(3);
    for (std::size_t i = 0; i < 200000; ++i) {
        const TDrawCommand& r = drawing.Commands[i];
        canvas.setPenColor(i / 5000 % 2 ? 0x0000FF : 0x000000);
        canvas.lineTo(RecordX(r), RecordY(r));
    }
    if (withBorderLoop) {
        canvas.setPenColor(ClearBorderColor);
        canvas.setPenWidth(2);
        const TPoint loop[] = {{400, 200}, {1500, 250}, {1600, 800}, {900, 950}, {300, 700}};
        canvas.moveTo(loop[4].x, loop[4].y);
        for (const TPoint& p : loop) {
            canvas.lineTo(p.x, p.y);
        }
    }
    return {canvas.bits(), canvas.bits() + SurfaceW * SurfaceH};
}

void clearBench(benchmark::State& state, bool withBorderLoop) {
    const std::vector<std::uint32_t> strokes = strokedSurface(withBorderLoop);
    TCanvas canvas(SurfaceW, SurfaceH);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(strokes.begin(), strokes.end(), canvas.bits());
        state.ResumeTiming();
        ClearSurface(canvas, ClearColor);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SurfaceW * SurfaceH);
}

void BM_ClearSurface(benchmark::State& state) {
    clearBench(state, false);
}
BENCHMARK(BM_ClearSurface)->Unit(benchmark::kMicrosecond);

void BM_ClearSurfaceWithBorder(benchmark::State& state) {
    clearBench(state, true);
}
BENCHMARK(BM_ClearSurfaceWithBorder)->Unit(benchmark::kMicrosecond);

void BM_FillBaseline(benchmark::State& state) {
    const std::vector<std::uint32_t> strokes = strokedSurface(false);
    std::vector<std::uint32_t> surface(strokes.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(strokes.begin(), strokes.end(), surface.begin());
        state.ResumeTiming();
        std::fill(surface.begin(), surface.end(), 0xFFFFFFFFu);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * SurfaceW * SurfaceH);
}
BENCHMARK(BM_FillBaseline)->Unit(benchmark::kMicrosecond);

} // namespace
