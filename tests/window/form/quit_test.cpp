// Leaving the program: Esc from any control, "Выход" and its question, and
// what a refused exit leaves behind.
#include "tests/support/form_fixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

using namespace vellograph;

namespace {

// m (10, 10), then lines to (200, 10), (200, 200) and (10, 200).
const std::vector<TPoint> Square = {{10, 10}, {200, 10}, {200, 200}, {10, 200}};

} // namespace

TEST_F(FormTest, EscQuitsEvenWhileAnEditFieldHasTheFocus) {
    MakeShownForm();
    auto* edit = new QLineEdit(form->PanelCancel);
    form->PlaceAtPointer(form->PanelCancel);
    edit->show();
    edit->setFocus();
    QTest::keyClicks(edit, "12");
    EXPECT_EQ(edit->text(), "12"); // other keys still reach the field
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(StopRequested);
}

TEST_F(FormTest, ExitAnsweredYesCloses) {
    MakeShownForm();
    dialogs.ConfirmAnswers = {true};
    form->MMExit->trigger();
    EXPECT_EQ(dialogs.Confirmations, std::vector<std::string>{"Сохранили? Выйти?"});
    EXPECT_FALSE(form->isVisible());
}

TEST_F(FormTest, ExitAnsweredCancelKeepsRunningAndTheNextPlaybackStopsAfterOneRecord) {
    MakeShownForm();
    SetDrawing(StrokeRecords(Square));
    dialogs.ConfirmAnswers = {false};
    form->MMExit->trigger();
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(StopRequested);

    form->MMRedrawClick(); // plays the "m" only, and uses up the request
    EXPECT_FALSE(StopRequested);
    EXPECT_EQ(Canvas().penPos(), (TPoint{10, 10}));
    EXPECT_EQ(Canvas().pixel(100, 10), 0xFFFFFFu);

    form->MMRedrawClick();
    EXPECT_EQ(Canvas().pixel(100, 10), 0x000000u);
    EXPECT_EQ(Canvas().pixel(10, 100), 0xFFFFFFu); // the square is open on the left
}

TEST_F(FormTest, EscDuringAPlaybackEndsItAtTheNextRecordAndQuits) {
    MakeShownForm();
    SetDrawing(StrokeRecords(Square));
    Pace = 1;
    FakeHost counting{host};
    ScopedHost installedCounting(counting);
    counting.onPump = [&] {
        const int pump = counting.pumps;
        if (pump == 3) { // after record 2, the line down to (200, 200)
            QCoreApplication::postEvent(
                form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };
    form->MMRedrawClick();
    EXPECT_EQ(counting.pumps, 3);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(StopRequested);
    EXPECT_EQ(Canvas().pixel(200, 100), 0x000000u);
    EXPECT_EQ(Canvas().pixel(100, 200), 0xFFFFFFu); // record 3 never played
}

TEST_F(FormTest, AboutShowsTheVersionACreditAndAnAddress) {
    MakeForm();
    form->MMAbout->trigger();
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    const std::string& text = dialogs.Messages[0];
    EXPECT_EQ(text.substr(0, text.find('\n')), "Vellograph v3.1.1");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
}

// Esc inside a playback inside a playback, waiting in a long delay, or inside
// the fit scan: everything ends at once, and no replay follows the fit.
TEST_F(FormTest, EscEndsEveryLoopOuterOnesTooAndAFitDoesNotReplay) {
    MakeShownForm();
    const TDrawCommand pause = MakeNumberRecord(CmdDelay, 10000, 0);
    SetDrawing({pause, pause, pause});
    form->EnableDrawingItems();
    FakeHost counting{host};
    ScopedHost installedCounting(counting);
    const auto esc = [&] {
        QCoreApplication::postEvent(
            form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    int waits = 0;
    counting.onWait = [&] {
        if (++waits == 1) {
            form->MMRedraw->trigger(); // a second playback, waiting in the same first delay
        } else if (waits == 2) {
            esc();
        }
    };
    QElapsedTimer clock;
    clock.start();
    form->MMRedraw->trigger();
    EXPECT_LT(clock.elapsed(), 5000); // not the 60 s of six delays
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(QuitRequested);

    // A fit scan quit in its first pump changes nothing and plays nothing.
    ResetRenderGlobals();
    form->show();
    SetDrawing(StrokeRecords(Square));
    counting.onWait = nullptr;
    counting.pumps = 0;
    counting.onPump = esc;
    const TViewParams before = LiveView;
    form->ButtonFitToScreen->click();
    EXPECT_EQ(counting.pumps, 1);
    EXPECT_EQ(LiveView.Scale, before.Scale);
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_EQ(CountPixels(Canvas(), 0x000000), 0);
}
