// A drawing of 20,000,000 records (120 MB) through the window's own
// commands: open and play, undo, fit, save as, save over, open again. Peak memory
// stays below 2.5 times the file, and the queue is never left unpumped for
// 100 ms, so Esc is answered at once throughout.
#include "tests/support/file_fixture.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>

using namespace vellograph;

namespace {

constexpr std::int64_t Records = 20'000'000;
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps freed memory in quarantine and adds its shadow
// memory: what the process holds then says nothing of the program's needs.
constexpr bool MemoryMeasured = false;
#else
constexpr bool MemoryMeasured = true;
#endif
constexpr std::int64_t FileSize = 36 + 6 * Records;
constexpr double LongestGapMs = 100.0;
constexpr std::int32_t UndoStep = 256;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// A freehand walk over the surface with a move every 64 records, written in
// slices so that the test itself never holds the drawing.
void WriteWalk(const std::string& path, int width, int height) {
    std::ofstream out(path, std::ios::binary);
    out.write(StandardHeader, HeaderSize);
    TRecords slice;
    slice.reserve(1 << 16);
    std::uint32_t state = 12345;
    int x = width / 2, y = height / 2;
    for (std::int64_t i = 0; i < Records; ++i) {
        state = state * 1664525u + 1013904223u;
        x = std::clamp(x + static_cast<int>(state >> 28) % 9 - 4, 0, width - 1);
        y = std::clamp(y + static_cast<int>(state >> 24 & 15) % 9 - 4, 0, height - 1);
        slice.push_back(MakeNumberRecord(i % 64 == 0 ? CmdMove : CmdLine, x, y));
        if (slice.size() == slice.capacity() || i == Records - 1) {
            out.write(reinterpret_cast<const char*>(slice.data()),
                      static_cast<std::streamsize>(slice.size() * sizeof(TDrawCommand)));
            slice.clear();
        }
    }
}

// True when the file is exactly the first `size` bytes of `whole`.
bool IsPrefixOf(const std::string& path, const std::string& whole, std::int64_t size) {
    std::ifstream a(path, std::ios::binary), b(whole, std::ios::binary);
    std::vector<char> x(1 << 20), y(1 << 20);
    std::int64_t left = size;
    while (left > 0) {
        const auto n = static_cast<std::streamsize>(std::min<std::int64_t>(left, 1 << 20));
        if (!a.read(x.data(), n) || !b.read(y.data(), n) ||
            !std::equal(x.begin(), x.begin() + n, y.begin())) {
            return false;
        }
        left -= n;
    }
    return a.peek() == std::ifstream::traits_type::eof();
}

long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Passes pumps to the Qt host and keeps, for each phase, the longest time
// the queue went unpumped: from the handler's start to its first pump,
// between pumps, and from its last pump to its return.
class GapHost : public FakeHost {
public:
    explicit GapHost(QtHost& inner) : FakeHost(inner) {
        OnPumpOrWait([this] { Note(); });
        afterPump = [this] {
            if (AfterPump) {
                AfterPump();
            }
            last_ = Clock::now();
        };
    }
    std::function<std::string()> Phase;
    std::function<void()> AfterPump;
    std::map<std::string, double> Longest;

    void Begin() { last_ = Clock::now(); }
    void End() { Note(); }

private:
    void Note() {
        double& longest = Longest[Phase()];
        longest = std::max(longest, MsSince(last_));
    }
    Clock::time_point last_ = Clock::now();
};

class BigDrawingTest : public FileTest {
protected:
    GapHost gaps{host};
    ScopedHost gapsInstalled{gaps};
    std::string step_ = "open";

    // Runs one command, naming the gaps after the step and, within an open,
    // after its load and its playback.
    void Step(const std::string& step, const std::function<void()>& command) {
        step_ = step;
        gaps.Begin();
        command();
        gaps.End();
    }
};

TEST_F(BigDrawingTest, OpenPlayUndoFitSaveAndOpenAgainStayResponsiveAndWithinMemory) {
    const std::string big = Path("big.vlgf");
    const std::string saved = Path("saved.vlgf");
    WriteWalk(big, Canvas().width(), Canvas().height());
    gaps.Phase = [this] { return step_ + (LoadInProgress() ? " (load)" : ""); };
    // 20 M records at the slow pace would repaint the screen millions of
    // times; the pace of undo's replay shows the same picture.
    Pace = PaceFastReplay;

    Step("open and play", [&] {
        dialogs.OpenAnswers.push_back(big);
        form->MMOpen->trigger();
    });
    EXPECT_EQ(VecImage.LastIndex, Records - 1);
    EXPECT_GT(CountPixels(Canvas(), 0x000000), 0);

    Step("undo", [&] {
        form->MMPanelCancel->trigger();
        form->EditUndoStep->setText(QString::number(UndoStep));
        form->ButtonBckwrd->click();
    });
    const std::int64_t inForce = Records - UndoStep;
    EXPECT_EQ(VecImage.LastIndex, inForce - 1);

    Step("fit", [&] { form->ButtonFitToScreen->click(); });
    const std::string fitMessage = dialogs.Messages.back();
    EXPECT_GT(LiveView.Scale, 0.99); // the walk stays on the surface
    Step("save as", [&] {
        dialogs.SaveAnswers.push_back(saved);
        form->MMSaveAs->trigger();
    });
    Step("save over", [&] { form->MMSave->trigger(); });
    EXPECT_TRUE(IsPrefixOf(saved, big, 36 + 6 * inForce));

    // Esc in the middle of the last playback closes the window at once.
    Clock::time_point escPosted{};
    double escAnsweredMs = -1;
    int playPumps = 0;
    gaps.AfterPump = [&] {
        if (LoadInProgress() || escAnsweredMs >= 0) {
            return;
        }
        if (++playPumps == 100) {
            escPosted = Clock::now();
            QCoreApplication::postEvent(
                form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        } else if (playPumps > 100 && !form->isVisible()) {
            escAnsweredMs = MsSince(escPosted);
        }
    };
    Step("open again and play", [&] {
        dialogs.OpenAnswers.push_back(saved);
        form->MMOpen->trigger();
    });
    gaps.AfterPump = nullptr;
    EXPECT_EQ(VecImage.LastIndex, inForce - 1);
    EXPECT_FALSE(form->isVisible());

    const std::string size = std::to_string(36 + 6 * inForce);
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{"Загружено)", fitMessage,
                                        "Размер сохраненного: " + size + " байт",
                                        "Размер сохраненного: " + size + " байт", "Загружено)"}));
    const long peakKb = PeakResidentKb();
    std::printf("peak memory %.1f MB for a %.1f MB file; Esc answered after %.1f ms\n",
                peakKb / 1024.0, FileSize / 1048576.0, escAnsweredMs);
    for (const auto& [phase, ms] : gaps.Longest) {
        std::printf("  longest time unpumped, %s: %.1f ms\n", phase.c_str(), ms);
        EXPECT_LT(ms, LongestGapMs) << phase;
    }
    EXPECT_GE(escAnsweredMs, 0.0);
    EXPECT_LT(escAnsweredMs, LongestGapMs);
    if (MemoryMeasured) {
        EXPECT_LT(peakKb * 1024.0, 2.5 * FileSize);
    }
}

} // namespace
