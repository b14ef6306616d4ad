// Handlers that run inside a playback's pump: strokes, menu commands, another playback.
#include "tests/support/form_fixture.h"

#include <QAction>
#include <QMenu>

#include <sys/resource.h>

using namespace vellograph;

namespace {

// A comb of ten lines along the top of the screen.
TRecords Comb() {
    std::vector<TPoint> points;
    for (int i = 0; i < 10; ++i) {
        points.push_back({20 + 40 * i, i % 2 ? 20 : 60});
    }
    return StrokeRecords(points);
}

class NestingTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        MakeShownForm();
        form->EnableDrawingItems();
        SetDrawing(Comb());
        Pace = 1; // one pump per record
    }
    FakeHost counting{host};
    ScopedHost countingInstalled{counting};
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

TEST_F(NestingTest, AStrokeDrawnDuringAPlaybackIsAppendedButNotPlayedByIt) {
    counting.onPump = [&] {
        const int pump = counting.pumps;
        if (pump == 2) {
            QTest::mousePress(form->ImageScreen, Qt::LeftButton, {}, QPoint(300, 300));
            QTest::mouseMove(form->ImageScreen, QPoint(400, 300));
            QTest::mouseMove(form->ImageScreen, QPoint(400, 400));
            QTest::mouseRelease(form->ImageScreen, Qt::LeftButton, {}, QPoint(400, 400));
        }
    };
    form->MMRedraw->trigger();
    EXPECT_EQ(VecImage.LastIndex, 12);
    EXPECT_EQ(VecImage.Commands[10].Letter, CmdMove);
    EXPECT_EQ(counting.pumps, 10);                  // one per original record, none for the stroke
    EXPECT_EQ(Canvas().pixel(350, 300), 0x000000u); // the live stroke is on the surface
    // The playback's pen ended at its own last point, not at the stroke's.
    EXPECT_EQ(Canvas().penPos(), (TPoint{380, 20}));
}

TEST_F(NestingTest, RedrawChosenDuringAPlaybackRunsInsideIt) {
    counting.onPump = [&] {
        const int pump = counting.pumps;
        if (pump == 3) {
            form->MMRedraw->trigger(); // plays all ten records before pump 3 returns
        }
    };
    form->MMRedraw->trigger();
    EXPECT_EQ(counting.pumps, 20);
    EXPECT_EQ(Canvas().penPos(), (TPoint{380, 20}));
    EXPECT_EQ(Canvas().pixel(360, 40), 0x000000u);
}

TEST_F(NestingTest, StopChosenFromTheMenuDuringAPlaybackEndsIt) {
    counting.onPump = [&] {
        const int pump = counting.pumps;
        if (pump == 4) {
            QTest::mousePress(form->ImageScreen, Qt::RightButton, {}, QPoint(100, 100));
            QMenu* menu = form->PopupMainMenu;
            EXPECT_TRUE(menu->isVisible());
            QTest::mouseClick(menu, Qt::LeftButton, {},
                              menu->actionGeometry(form->MMStopRender).center());
        }
    };
    form->MMRedraw->trigger();
    EXPECT_EQ(counting.pumps, 4);
    EXPECT_FALSE(StopRequested);
    EXPECT_FALSE(form->PopupMainMenu->isVisible());
}

TEST_F(NestingTest, PaceChosenDuringAPlaybackTakesEffectFromTheNextRecord) {
    counting.onPump = [&] {
        const int pump = counting.pumps;
        if (pump == 2) {
            form->MMToEnd->trigger();
        }
    };
    form->MMRedraw->trigger();
    EXPECT_EQ(Pace, PaceToEnd);
    EXPECT_EQ(counting.pumps, 2); // records 0 and 1; then only index 64 would pump
    form->MMDrawSlowly->trigger();
    EXPECT_EQ(Pace, PaceSlow);
}

TEST_F(NestingTest, ADelayInAPlaybackNeitherSpinsNorRepaintsOverAndOver) {
    TRecords records = Comb();
    records.insert(records.begin() + 5, MakeNumberRecord(CmdDelay, 1000, 0));
    SetDrawing(records);
    int paints = 0;
    struct PaintCounter : QObject {
        int* paints;
        bool eventFilter(QObject*, QEvent* event) override {
            *paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    counter.paints = &paints;
    form->ImageScreen->installEventFilter(&counter);
    const double cpu = CpuSeconds();
    form->MMRedraw->trigger();
    const double used = CpuSeconds() - cpu;
    form->ImageScreen->removeEventFilter(&counter);
    EXPECT_LT(used, 0.25) << "a one-second delay must wait, not spin";
    EXPECT_LE(paints, 14); // about one refresh per pump and one as the delay began
    // What was drawn before the delay was on the screen during it.
    EXPECT_EQ(Canvas().pixel(360, 40), 0x000000u);
}
