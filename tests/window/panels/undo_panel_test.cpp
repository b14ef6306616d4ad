// The undo/redo panel: how far each click moves LastIndex, what the surface
// then shows, the pace during and after, and bad step texts.
#include "tests/support/form_fixture.h"
#include "window/panels/undo_panel.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>

using namespace vellograph;

namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x00FF00;
constexpr TColor Blue = 0xFF0000;

// count records of ten-record zigzag strokes spread over the surface.
TRecords Strokes(int count, int seed = 0) {
    TRecords records;
    for (int i = 0; i < count; ++i) {
        const int k = i / 10 + seed;
        const int x = 10 + (k * 37) % 600 + (i % 10) * 7;
        const int y = 10 + (k * 53) % 400 + (i % 2) * 20;
        records.push_back(MakeNumberRecord(i % 10 == 0 ? CmdMove : CmdLine, x, y));
    }
    return records;
}

TRecords operator+(TRecords a, const TRecords& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class UndoPanelTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        MakeShownForm();
        form->EnableDrawingItems();
    }

    // The drawing, played onto a cleared surface as after a load.
    void Show(const TRecords& records) {
        SetDrawing(records);
        const PaceOverride fast(PaceFastReplay);
        form->MMRedrawClick();
    }

    void OpenPanel() { form->MMPanelCancel->trigger(); }
    void Click(QPushButton* button, const char* step) {
        form->EditUndoStep->setText(QString::fromUtf8(step));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void Undo(const char* step) { Click(form->ButtonBckwrd, step); }
    void Redo(const char* step) { Click(form->ButtonFrwrd, step); }

    // Compares the surface with records 0..LastIndex played from the
    // start-up pen onto a fresh white canvas.
    void ExpectSurfaceShowsTheRecordsInForce(const char* what) {
        TCanvas fresh(Canvas().width(), Canvas().height());
        TAVecImage copy = VecImage;
        const TColor pen = std::exchange(PenColor, 0);
        const TColor fill = std::exchange(FillColor, 0xFFFFFF);
        const std::int32_t width = std::exchange(PenWidth, 2);
        {
            const PaceOverride fast(PaceFastReplay);
            ClearSurface(fresh, ClearColor);
            RenderDrawing(fresh, copy, LiveView.OriginX, LiveView.OriginY, 0, copy.LastIndex,
                          LiveView.Scale, LiveView.Angle);
        }
        PenColor = pen;
        FillColor = fill;
        PenWidth = width;
        const std::size_t bytes = static_cast<std::size_t>(fresh.width()) * fresh.height() * 4;
        EXPECT_EQ(std::memcmp(Canvas().bits(), fresh.bits(), bytes), 0) << what;
    }
};

} // namespace

TEST_F(UndoPanelTest, StepsAreClampedToOneAnd8192) {
    const struct {
        int records;
        const char* step;
        std::int32_t lastIndex;
    } cases[] = {{100, "256", -1},      {10000, "0", 9998},    {10000, "-5", 9998},
                 {10000, "3000", 6999}, {10000, "9000", 1807}, {10000, "$10", 9983}};
    for (const auto& c : cases) {
        Show(Strokes(c.records));
        Pace = PaceSlow;
        OpenPanel();
        Undo(c.step);
        EXPECT_EQ(VecImage.LastIndex, c.lastIndex) << c.step;
        EXPECT_EQ(Pace, PaceSlow) << c.step;
        ExpectSurfaceShowsTheRecordsInForce(c.step);
    }
}

TEST_F(UndoPanelTest, UndoThenRedoRestoresAndRedoStopsAtTheLimit) {
    Show(Strokes(100) + TRecords{MakeColorRecord(CmdColor, Red)});
    Pace = PaceToEnd;
    OpenPanel();
    EXPECT_EQ(RedoLimit, 100);
    PenColor = Blue;
    Redo("10"); // at the limit already: the last record is played once more
    EXPECT_EQ(VecImage.LastIndex, 100);
    EXPECT_EQ(PenColor, Red);

    PenColor = 0; // undo replays from record 0 with the pen in force
    Undo("10");
    EXPECT_EQ(VecImage.LastIndex, 90);
    ExpectSurfaceShowsTheRecordsInForce("undo 10");
    Redo("10");
    EXPECT_EQ(VecImage.LastIndex, 100);
    EXPECT_EQ(Pace, PaceToEnd);
    ExpectSurfaceShowsTheRecordsInForce("redo 10");

    Undo("30");
    QTest::mouseClick(form->ButtonCancelAccept, Qt::LeftButton);
    EXPECT_FALSE(form->PanelCancel->isVisible());
    EXPECT_EQ(VecImage.LastIndex, 70);
    EXPECT_EQ(VecImage.Commands.size(), 101u); // kept until the next recorded command
}

TEST_F(UndoPanelTest, UndoReplaysFromTheLastFillWhenItIsStillInForce) {
    // Red pen at 0, strokes, a green fill at 20, more strokes.
    Show(TRecords{MakeColorRecord(CmdColor, Red)} + Strokes(19) +
         TRecords{MakeColorRecord(CmdFill, Green)} + Strokes(19, 7));
    ASSERT_EQ(VecImage.LastFillIndex, 20);
    OpenPanel();
    PenColor = Blue; // a replay from record 0 would make it red
    Undo("19");
    EXPECT_EQ(VecImage.LastIndex, 20);
    EXPECT_EQ(PenColor, Blue);
    EXPECT_EQ(VecImage.LastFillIndex, 20);
    EXPECT_EQ(CountPixels(Canvas(), Green), Canvas().width() * Canvas().height());

    Undo("1"); // below the fill: cleared and replayed from the start
    EXPECT_EQ(PenColor, Red);
    EXPECT_EQ(VecImage.LastFillIndex, NoIndex);
    ExpectSurfaceShowsTheRecordsInForce("below the fill");
}

TEST_F(UndoPanelTest, UndoRightAfterALoadRepaintsFromScratch) {
    Show(Strokes(50));
    VecImage.LastFillIndex = 0; // what a load leaves until its playback starts
    OpenPanel();
    Undo("10");
    ExpectSurfaceShowsTheRecordsInForce("after a load");
}

TEST_F(UndoPanelTest, PaceIsFastDuringTheRenderAndRestoredAfterIt) {
    Show(Strokes(100));
    Pace = PaceSlow;
    FakeHost counting{host};
    ScopedHost installed(counting);
    std::vector<std::int32_t> seen;
    counting.onPump = [&] {
        seen.push_back(Pace);
        form->MMToEndClick(); // "В конец" chosen during the render
    };
    OpenPanel();
    Undo("50"); // replays from record 0, which pumps
    Undo("100");
    Redo("5"); // from record 0 again
    EXPECT_EQ(seen, (std::vector<std::int32_t>{PaceFastReplay, PaceRedo}));
    EXPECT_EQ(Pace, PaceSlow);
}

TEST_F(UndoPanelTest, DelaysInTheReplayedRangeStillWait) {
    Show(Strokes(10) + TRecords{MakeNumberRecord(CmdDelay, 150, 0)} + Strokes(19, 3));
    OpenPanel();
    QElapsedTimer clock;
    clock.start();
    Undo("5");
    EXPECT_GE(clock.elapsed(), 150);
    Undo("20");
    clock.restart();
    Redo("20");
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_EQ(VecImage.LastIndex, 24);
}

TEST_F(UndoPanelTest, RedoNeverPassesTheStoredRecordsNorGoesBack) {
    auto stroke = [&](QPoint from, int moves) {
        QTest::mousePress(&Screen(), Qt::LeftButton, {}, from);
        for (int i = 1; i <= moves; ++i) {
            QTest::mouseMove(&Screen(), from + QPoint(10 * i, 5));
        }
        QTest::mouseRelease(&Screen(), Qt::LeftButton, {}, from + QPoint(10 * moves, 5));
    };
    // An undo and a new stroke discard the undone records.
    Show(Strokes(50));
    OpenPanel();
    Undo("20");
    stroke({300, 300}, 1);
    ASSERT_EQ(VecImage.LastIndex, 31);
    Redo("256");
    EXPECT_EQ(VecImage.LastIndex, 31);
    ExpectSurfaceShowsTheRecordsInForce("after a new stroke");

    // New records reaching past the limit taken at opening stay in force.
    Show(Strokes(20));
    OpenPanel();
    Undo("5");
    stroke({100, 500}, 10);
    ASSERT_EQ(VecImage.LastIndex, 25);
    Redo("1");
    EXPECT_EQ(VecImage.LastIndex, 25);
    ExpectSurfaceShowsTheRecordsInForce("limit below LastIndex");

    // Another, shorter drawing while the panel stays open.
    OpenPanel();
    Show(Strokes(12, 5));
    Undo("10");
    Redo("256");
    EXPECT_EQ(VecImage.LastIndex, 11);
    ExpectSurfaceShowsTheRecordsInForce("another drawing");
}

TEST_F(UndoPanelTest, BadStepTextShowsTheErrorAndChangesNothing) {
    Show(Strokes(60));
    OpenPanel();
    Undo("30");
    Pace = PaceToEnd;
    const std::vector<std::uint32_t> before(Canvas().bits(),
                                            Canvas().bits() + Canvas().width() * Canvas().height());
    for (QPushButton* button : {form->ButtonBckwrd, form->ButtonFrwrd}) {
        for (const char* text : {"abc", "12 ", "", "Шаг"}) {
            dialogs.Errors.clear();
            Click(button, text);
            EXPECT_EQ(dialogs.Errors, std::vector<std::string>{"'" + std::string(text) +
                                                               "' is not a valid integer value."});
            EXPECT_EQ(VecImage.LastIndex, 29) << text;
            EXPECT_EQ(Pace, PaceToEnd) << text;
            EXPECT_TRUE(form->PanelCancel->isVisible()) << text;
            EXPECT_EQ(std::memcmp(before.data(), Canvas().bits(), before.size() * 4), 0) << text;
        }
    }
}
