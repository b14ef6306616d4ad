// The stroke handler per pointer move on a 3840x2160 surface: the segment
// painted, the record added and the repaint region computed. Runs on Qt's
// offscreen platform with a 1920x1080 desktop at 2 device pixels per point.
#include "engine/format/drawing.h"
#include "engine/playback/render.h"
#include "window/form/image_screen.h"
#include "window/form/main_form.h"
#include "window/platform/dialogs.h"
#include "window/platform/qt_host.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using namespace vellograph;

namespace {

class SilentDialogs : public TDialogs {
public:
    void ShowMessage(const std::string&) override {}
    bool Confirm(const std::string&) override { return false; }
    void ShowError(const std::string&) override {}
    std::optional<std::string> OpenFileName(const TFileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFileName(const TFileDialogRequest&) override { return {}; }
};

SilentDialogs dialogs;
std::unique_ptr<QtHost> host;
std::unique_ptr<TMainForm> form;

// A freehand path over the whole surface, in logical points: a Lissajous
// figure walked in steps of 2 to 4 device pixels, as a quick hand gives.
std::vector<QPointF> FreehandPath() {
    std::vector<QPointF> points;
    for (int i = 0; i < 20000; ++i) {
        const double t = i * 0.0009;
        points.emplace_back(960 + 900 * std::sin(3 * t), 540 + 500 * std::sin(4 * t + 0.5));
    }
    return points;
}

void Send(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, at, form->ImageScreen->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(form->ImageScreen, &event);
}

void StrokeMove(benchmark::State& state, bool repaint) {
    static const std::vector<QPointF> path = FreehandPath();
    PenWidth = static_cast<std::int32_t>(state.range(0));
    PenColor = 0x402000;
    NewDrawing(VecImage);
    std::size_t i = 0;
    Send(QEvent::MouseButtonPress, path[0], Qt::LeftButton, Qt::LeftButton);
    for (auto _ : state) {
        if (++i == path.size()) {
            i = 1;
        }
        Send(QEvent::MouseMove, path[i], Qt::NoButton, Qt::LeftButton);
        if (repaint || i % 256 == 0) {
            // Without this the repaints pile up unlike in the running
            // program; the paint itself is counted only when asked for.
            if (!repaint) {
                state.PauseTiming();
            }
            QCoreApplication::processEvents();
            if (!repaint) {
                state.ResumeTiming();
            }
        }
    }
    Send(QEvent::MouseButtonRelease, path[i], Qt::LeftButton, Qt::NoButton);
    state.counters["surface"] = form->ImageScreen->Canvas().width();
    state.counters["records"] = VecImage.LastIndex + 1;
}

void BM_StrokeMove(benchmark::State& state) {
    StrokeMove(state, false);
}
void BM_StrokeMoveWithRepaint(benchmark::State& state) {
    StrokeMove(state, true);
}

BENCHMARK(BM_StrokeMove)
    ->Arg(2)
    ->Arg(12)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StrokeMoveWithRepaint)
    ->Arg(2)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path config = std::filesystem::temp_directory_path() /
                                         ("vellograph-bench-" + std::to_string(getpid()) + ".json");
    std::ofstream(config)
        << R"({"screens": [{"name": "HiDpi", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
        << R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
    QApplication app(argc, argv);
    std::filesystem::remove(config);
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    host = std::make_unique<QtHost>(dialogs);
    ScopedHost installed(*host);
    form = std::make_unique<TMainForm>(dialogs, host.get(), std::vector<std::string>{});
    form->ShowOnScreen();
    if (!QTest::qWaitForWindowExposed(form.get()) || form->ImageScreen->Canvas().width() != 3840) {
        std::fprintf(stderr, "the surface is not 3840x2160\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    form.reset();
    return 0;
}
