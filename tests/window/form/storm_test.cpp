// A re-entrancy storm: while a 200,000-record drawing plays, every pump of
// the queue brings one more user action from a seeded generator, and the
// program must come out of it whole.
#include "engine/format/drawing_snapshot.h"
#include "tests/support/file_fixture.h"
#include "window/form/guarded.h"

#include <QLineEdit>
#include <QPushButton>

#include <cstring>
#include <random>

using namespace vellograph;

namespace {

constexpr int BigRecords = 200000;
constexpr int SmallRecords = 3000;
constexpr int EventsPerRun = 10000;

// Strokes wandering over the surface, with pen colour and width changes;
// never the clearing border colour, which would keep "Перерисовать" from
// clearing.
std::vector<TDrawCommand> Wander(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> step(-6, 6);
    std::vector<TDrawCommand> records;
    int x = 300, y = 200;
    while (static_cast<int>(records.size()) < count) {
        const int pick = static_cast<int>(rng() % 400);
        if (pick == 0) {
            records.push_back(MakeColorRecord(CmdColor, 0x0000C0 + (rng() % 3) * 0x3000));
        } else if (pick == 1) {
            records.push_back(MakeNumberRecord(CmdPenWidth, 1 + static_cast<int>(rng() % 5), 0));
        } else if (pick < 10) {
            x = static_cast<int>(rng() % 780);
            y = static_cast<int>(rng() % 580);
            records.push_back(MakeNumberRecord(CmdMove, x, y));
        } else {
            x = std::clamp(x + step(rng), 0, 799);
            y = std::clamp(y + step(rng), 0, 599);
            records.push_back(MakeNumberRecord(CmdLine, x, y));
        }
    }
    return records;
}

enum class Action {
    Segment,
    Undo,
    Redo,
    Pace,
    Stop,
    Redraw,
    NewFile,
    Fill,
    AutosaveTick,
    Fit,
    Open,
    Count
};

class StormTest : public FileTest {
protected:
    void Perform(Action action, unsigned arg) {
        ++performed_;
        switch (action) {
        case Action::Segment: {
            const QPoint to(static_cast<int>(arg % 780), static_cast<int>(arg / 780 % 580));
            if (arg % 8 == 0 || !ButtonHeld) {
                QTest::mouseRelease(&Screen(), Qt::LeftButton, {}, to);
                QTest::mousePress(&Screen(), Qt::LeftButton, {}, to);
            }
            QTest::mouseMove(&Screen(), to + QPoint(3, 2));
            break;
        }
        case Action::Undo:
        case Action::Redo: {
            if (!form->PanelCancel->isVisible() || arg % 16 == 0) {
                form->MMPanelCancel->trigger(); // takes RedoLimit anew
            }
            static const char* const steps[] = {"1", "16", "256", "3000", "x"};
            form->EditUndoStep->setText(steps[arg % 5]); // "x": the error box
            (action == Action::Undo ? form->ButtonBckwrd : form->ButtonFrwrd)->click();
            break;
        }
        case Action::Pace:
            (arg % 2 ? form->MMToEnd : form->MMDrawSlowly)->trigger();
            break;
        case Action::Stop:
            form->MMStopRender->trigger();
            break;
        case Action::Redraw:
            form->MMRedraw->trigger();
            break;
        case Action::NewFile:
            form->MMNewFile->trigger();
            break;
        case Action::Fill: {
            // No command records fills: placed as AddCommand places records.
            ChangeRecords(VecImage, VecImage.LastIndex + 1);
            VecImage.Commands.resize(static_cast<std::size_t>(VecImage.LastIndex + 1));
            VecImage.Commands.push_back(MakeColorRecord(CmdFill, 0xF0F0F0 - (arg % 4) * 0x101010));
            ++VecImage.LastIndex;
            break;
        }
        case Action::AutosaveTick:
            if (arg % 2) {
                form->AutosaveTicks = TMainForm::AutosavePeriod - 1; // this tick writes
            }
            RunGuarded(dialogs, [this] { form->Timer1Timer(); });
            break;
        case Action::Fit:
            form->ButtonFitToScreen->click();
            break;
        case Action::Open: {
            static const char* const names[] = {"small.vlgf", "small.vlgf", "big.vlgf",
                                                "missing.vlgf"};
            dialogs.OpenAnswers.push_back(Path(names[arg % 4]));
            form->MMOpen->trigger();
            break;
        }
        case Action::Count:
            break;
        }
    }

    // Plays `start` with every pump posting the action that `next` picks,
    // until `events` were posted; the main loop's own pumps post the rest
    // when the playbacks end first. Returns when all were handled.
    void Run(const std::function<void()>& start, const std::function<Action()>& next, int events) {
        const ScopedHost stormInstalled(storm_);
        int posted = 0;
        const auto post = [&] {
            if (posted < events) {
                ++posted;
                const Action action = next();
                const unsigned arg = rng_();
                QMetaObject::invokeMethod(
                    form.get(), [this, action, arg] { Perform(action, arg); },
                    Qt::QueuedConnection);
            }
        };
        // Handles what is still queued, then checks the window.
        const auto settleAndCheck = [&](const char* when) {
            SCOPED_TRACE(when);
            storm_.onPump = nullptr;
            ASSERT_TRUE(WaitFor([&] { return performed_ == posted; }, 60000));
            EXPECT_LE(storm_.maxDepth, QtHost::MaxNesting + 1);
            EXPECT_GE(VecImage.LastIndex, -1);
            EXPECT_LE(static_cast<std::size_t>(VecImage.LastIndex + 1), VecImage.Commands.size());
            ExpectOneOrigin();
            ExpectRedrawShowsTheRecordsInForce();
        };
        storm_.onPump = post;
        start();
        settleAndCheck("once the first playback returned");
        // When every playback ended early, the main loop's own pumps bring
        // the rest.
        storm_.onPump = post;
        while (posted < events) {
            storm_.ProcessMessages();
        }
        settleAndCheck("at the end");
    }

    // The storm from one seed, on a drawing opened from the menu.
    void Storm(unsigned seed) {
        rng_.seed(seed);
        big_ = Wander(BigRecords, seed);
        small_ = Wander(SmallRecords, seed + 1);
        WriteDrawing(big_, "big.vlgf");
        WriteDrawing(small_, "small.vlgf");
        Run(
            [&] {
                dialogs.OpenAnswers.push_back(Path("big.vlgf"));
                form->MMOpen->trigger();
            },
            [&] { return Pick(); }, EventsPerRun);
        std::printf("seed %u: pumps nested %d deep, %d records in force\n", seed, storm_.maxDepth,
                    VecImage.LastIndex + 1);
        // And the window still opens and plays a big drawing whole.
        form->MMToEnd->trigger();
        dialogs.OpenAnswers.push_back(Path("big.vlgf"));
        form->MMOpen->trigger();
        EXPECT_EQ(VecImage.LastIndex, BigRecords - 1);
        ExpectRedrawShowsTheRecordsInForce();
    }

    // The drawing holds records of one origin: a file (then the user's
    // actions, which may have undone and cut off part of it), or the user's
    // actions alone; never a file's records after the user's, as a load
    // that took a new drawing for its own would splice them.
    void ExpectOneOrigin() {
        const std::vector<TDrawCommand>& records = VecImage.Commands;
        const auto at = [&](std::size_t offset, const std::vector<TDrawCommand>& file,
                            std::size_t count) {
            return records.size() >= offset + count &&
                   std::memcmp(records.data() + offset, file.data(), count * 6) == 0;
        };
        for (const std::vector<TDrawCommand>* file : {&big_, &small_}) {
            if (file->empty()) {
                continue;
            }
            for (std::size_t offset = 256; offset + 256 <= records.size(); offset += 256) {
                ASSERT_FALSE(at(offset, *file, 256)) << "a file's records after " << offset;
            }
        }
    }

    // A fresh "Перерисовать" against the records in force played onto a
    // fresh canvas. Both start from the same state: no stop request pending
    // (one would end the redraw after its first record), and the pen
    // globals and pen position that the storm left, which a drawing that
    // begins with a line or without its own colour and width relies on.
    void ExpectRedrawShowsTheRecordsInForce() {
        StopRequested = false;
        const TColor pen = PenColor, fill = FillColor;
        const std::int32_t width = PenWidth;
        const TPoint at = Canvas().penPos();
        {
            const PaceOverride fast(PaceFastReplay); // the pace changes only how often it pumps
            form->MMRedraw->trigger();
        }

        TCanvas fresh(Canvas().width(), Canvas().height());
        fresh.moveTo(at.x, at.y);
        PenColor = pen;
        FillColor = fill;
        PenWidth = width;
        TAVecImage copy = VecImage;
        {
            const PaceOverride fast(PaceFastReplay);
            ClearSurface(fresh, ClearColor);
            RenderDrawing(fresh, copy, LiveView.OriginX, LiveView.OriginY, 0, copy.LastIndex,
                          LiveView.Scale, LiveView.Angle);
        }
        const std::size_t bytes = static_cast<std::size_t>(fresh.width()) * fresh.height() * 4;
        EXPECT_EQ(std::memcmp(Canvas().bits(), fresh.bits(), bytes), 0);
    }

    // Strokes most often, as users draw more than they do anything else;
    // a new drawing seldom, or most storms would end on an empty one.
    Action Pick() {
        static const std::discrete_distribution<int> weights{{30, 8, 8, 8, 5, 8, 2, 3, 8, 5, 5}};
        static_assert(static_cast<int>(Action::Count) == 11);
        auto pick = weights;
        return static_cast<Action>(pick(rng_));
    }

    // Posts an action before each pump, and tracks how deeply pumps nest:
    // each nested loop adds a level.
    FakeHost storm_{host};
    std::mt19937 rng_;
    int performed_ = 0;
    std::vector<TDrawCommand> big_, small_; // the files' records
};

// Each playback started inside the pump of the one before: without a limit
// the stack runs out after a few thousand.
TEST_F(StormTest, RedrawsChosenFasterThanTheyEndNestOnlySoDeep) {
    SetDrawing(StrokeRecords({{10, 10}, {300, 10}, {300, 200}, {10, 200}}));
    form->EnableDrawingItems();
    Pace = 1;
    Run([&] { form->MMRedraw->trigger(); }, [] { return Action::Redraw; }, 8000);
    EXPECT_EQ(storm_.maxDepth, QtHost::MaxNesting + 1);
}

TEST_F(StormTest, Seed1) {
    Storm(1);
}
TEST_F(StormTest, Seed2) {
    Storm(2);
}
TEST_F(StormTest, Seed3) {
    Storm(3);
}

} // namespace
