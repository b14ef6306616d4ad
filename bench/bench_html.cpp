// The html command's page against native render, for a 1,000,000-record drawing:
// what the browser side (bench/html_player_bench.js) compares with.
#include "cli/export/export_replay.h"
#include "cli/html/html_page.h"
#include "engine/playback/render.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>

using namespace vellograph;

namespace {

constexpr int PageWidth = 1366;
constexpr int PageHeight = 768;
constexpr int Records = 1000000;

// The drawing VELLOGRAPH_BENCH_DRAWING names, so that the browser script and
// this benchmark play the same records; freehand strokes otherwise.
const TAVecImage& Drawing() {
    static const TAVecImage drawing = [] {
        TAVecImage d;
        if (const char* path = std::getenv("VELLOGRAPH_BENCH_DRAWING")) {
            cli::InstantHost quiet;
            const ScopedHost scoped(quiet);
            LoadDrawing(path, d);
            return d;
        }
        unsigned seed = 2025;
        auto next = [&](int n) {
            return static_cast<int>((seed = seed * 1664525u + 1013904223u) >> 8) % n;
        };
        while (d.Commands.size() < Records) {
            if (next(4) == 0) {
                d.Commands.push_back(
                    MakeColorRecord(CmdColor, static_cast<TColor>(next(0xFFFFFF))));
            }
            if (next(8) == 0) {
                d.Commands.push_back(MakeNumberRecord(CmdPenWidth, 1 + next(6), 0));
            }
            int x = next(PageWidth), y = next(PageHeight);
            d.Commands.push_back(MakeNumberRecord(CmdMove, x, y));
            for (int k = 20 + next(180); k > 0; --k) {
                x = std::clamp(x + next(17) - 8, 0, PageWidth - 1);
                y = std::clamp(y + next(17) - 8, 0, PageHeight - 1);
                d.Commands.push_back(MakeNumberRecord(CmdLine, x, y));
            }
        }
        d.Commands.resize(Records);
        d.LastIndex = Records - 1;
        return d;
    }();
    return drawing;
}

// The baseline: what render plays for the drawing, at the page's size.
void BM_HtmlRenderBaseline(benchmark::State& state) {
    TAVecImage d = Drawing();
    TCanvas canvas;
    for (auto _ : state) {
        cli::RenderPicture(canvas, PageWidth, PageHeight, d, DefaultView);
        benchmark::DoNotOptimize(canvas.bits());
    }
    state.SetItemsProcessed(state.iterations() * (d.LastIndex + 1));
}
BENCHMARK(BM_HtmlRenderBaseline)->Unit(benchmark::kMillisecond);

// Writing the page: compressing the records and the player into it.
void BM_HtmlWritePage(benchmark::State& state) {
    const TAVecImage& d = Drawing();
    cli::PageSettings settings;
    settings.width = PageWidth;
    settings.height = PageHeight;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cli::WritePage(d, settings).size());
    }
    state.SetItemsProcessed(state.iterations() * (d.LastIndex + 1));
}
BENCHMARK(BM_HtmlWritePage)->Unit(benchmark::kMillisecond);

} // namespace
