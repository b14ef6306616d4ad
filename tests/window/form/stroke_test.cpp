// Freehand strokes: what each button records and paints, and what it leaves alone.
#include "tests/support/form_fixture.h"

#include <QFrame>
#include <QMenu>
#include <QMouseEvent>

using namespace vellograph;

namespace {

class StrokeTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        MakeShownForm();
        recordsAtStart_ = VecImage.LastIndex + 1;
    }

    void Press(Qt::MouseButton button, QPoint at) { QTest::mousePress(&Screen(), button, {}, at); }
    void Move(QPoint to) { QTest::mouseMove(&Screen(), to); }
    void Release(Qt::MouseButton button, QPoint at) {
        QTest::mouseRelease(&Screen(), button, {}, at);
    }

    // Records added since the window was built.
    TRecords NewRecords() const {
        return {VecImage.Commands.begin() + recordsAtStart_,
                VecImage.Commands.begin() + VecImage.LastIndex + 1};
    }

private:
    int recordsAtStart_ = 0;
};

void ExpectRecord(const TDrawCommand& record, std::uint8_t letter, int x, int y) {
    EXPECT_EQ(record.Letter, letter);
    EXPECT_EQ(RecordX(record), x);
    EXPECT_EQ(RecordY(record), y);
}

} // namespace

TEST_F(StrokeTest, PressAndReleaseRecordOneMoveAndPaintNothing) {
    Press(Qt::LeftButton, {100, 120});
    EXPECT_TRUE(ButtonHeld);
    Release(Qt::LeftButton, {100, 120});
    EXPECT_FALSE(ButtonHeld);
    const auto records = NewRecords();
    ASSERT_EQ(records.size(), 1u);
    ExpectRecord(records[0], CmdMove, 100, 120);
    EXPECT_EQ(CountPixels(Canvas(), 0xFFFFFF), Canvas().width() * Canvas().height());
}

TEST_F(StrokeTest, EveryMovePaintsASegmentAndRecordsALine) {
    Press(Qt::LeftButton, {50, 50});
    Move({150, 50});
    Move({150, 50}); // a second event at the same point: a zero-length segment
    Move({150, 120});
    Release(Qt::LeftButton, {150, 120});
    const auto records = NewRecords();
    ASSERT_EQ(records.size(), 4u);
    ExpectRecord(records[0], CmdMove, 50, 50);
    ExpectRecord(records[1], CmdLine, 150, 50);
    ExpectRecord(records[2], CmdLine, 150, 50);
    ExpectRecord(records[3], CmdLine, 150, 120);
    // Painted with the default pen, black and 2 wide, along both legs.
    EXPECT_EQ(Canvas().pixel(100, 50), 0x000000u);
    EXPECT_EQ(Canvas().pixel(150, 85), 0x000000u);
    EXPECT_EQ(Canvas().pixel(100, 85), 0xFFFFFFu);
    // Moves after the release draw nothing.
    Move({300, 300});
    EXPECT_EQ(NewRecords().size(), 4u);
    EXPECT_EQ(Canvas().pixel(225, 210), 0xFFFFFFu);
}

TEST_F(StrokeTest, ANewPressNeverLinksToThePreviousStroke) {
    Press(Qt::LeftButton, {20, 20});
    Move({60, 20});
    Release(Qt::LeftButton, {60, 20});
    Press(Qt::LeftButton, {20, 200});
    Move({60, 200});
    Release(Qt::LeftButton, {60, 200});
    EXPECT_EQ(Canvas().pixel(40, 110), 0xFFFFFFu); // nothing between the strokes
    EXPECT_EQ(Canvas().pixel(40, 200), 0x000000u);
}

TEST_F(StrokeTest, RightPressOpensTheMenuAtThePressAndRecordsNothing) {
    Press(Qt::RightButton, {200, 150});
    EXPECT_TRUE(form->PopupMainMenu->isVisible());
    EXPECT_EQ(form->PopupMainMenu->pos().x(), Screen().mapToGlobal(QPoint(200, 150)).x());
    EXPECT_TRUE(NewRecords().empty());
    EXPECT_TRUE(ButtonHeld);
    EXPECT_EQ(LastButton, TMouseButton::mbRight);
    EXPECT_EQ(PointerX, 200);
    EXPECT_EQ(PointerY, 150);
    form->PopupMainMenu->hide();
    // The menu took the release: moves keep tracking the pointer, nothing more.
    QMouseEvent hover(QEvent::MouseMove, QPointF(250, 260), Screen().mapToGlobal(QPointF(250, 260)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&Screen(), &hover);
    EXPECT_EQ(PointerX, 250);
    EXPECT_EQ(PointerY, 260);
    EXPECT_TRUE(NewRecords().empty());
    EXPECT_EQ(CountPixels(Canvas(), 0x000000), 0);
    // A panel opened from that menu has its corner at the pointer.
    form->PlaceAtPointer(form->PanelCancel);
    EXPECT_EQ(form->PanelCancel->pos(), QPoint(250, 260));
    EXPECT_TRUE(form->PanelCancel->isVisible());
}

TEST_F(StrokeTest, RightPressOnAPanelOpensNoMenu) {
    form->PlaceAtPointer(form->PanelDelay);
    QTest::mousePress(form->PanelDelay, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseRelease(form->PanelDelay, Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_FALSE(form->PopupMainMenu->isVisible());
    EXPECT_FALSE(ButtonHeld);
}

TEST_F(StrokeTest, MiddleButtonOnlyMovesThePointerState) {
    Press(Qt::MiddleButton, {30, 40});
    EXPECT_FALSE(form->PopupMainMenu->isVisible());
    EXPECT_EQ(LastButton, TMouseButton::mbMiddle);
    EXPECT_EQ(PrevX, 30);
    EXPECT_EQ(PrevY, 40);
    Move({80, 90});
    EXPECT_EQ(PointerX, 80);
    EXPECT_EQ(PointerY, 90);
    EXPECT_EQ(PrevX, 30); // no segment was made
    Release(Qt::MiddleButton, {80, 90});
    EXPECT_FALSE(ButtonHeld);
    EXPECT_TRUE(NewRecords().empty());
    EXPECT_EQ(CountPixels(Canvas(), 0x000000), 0);
}

TEST_F(StrokeTest, MovingWithNoButtonChangesNothing) {
    QMouseEvent hover(QEvent::MouseMove, QPointF(70, 80), Screen().mapToGlobal(QPointF(70, 80)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&Screen(), &hover);
    EXPECT_FALSE(ButtonHeld);
    EXPECT_EQ(PointerX, 0);
    EXPECT_EQ(PointerY, 0);
    EXPECT_TRUE(NewRecords().empty());
}

TEST_F(StrokeTest, APenChangeShowsFromTheNextSegment) {
    Press(Qt::LeftButton, {100, 300});
    Move({200, 300});
    PenColor = 0x0000FF; // red
    PenWidth = 9;
    Move({300, 300});
    Release(Qt::LeftButton, {300, 300});
    EXPECT_EQ(Canvas().pixel(150, 300), 0x000000u);
    EXPECT_EQ(Canvas().pixel(150, 303), 0xFFFFFFu); // the first segment kept its thin pen
    EXPECT_EQ(Canvas().pixel(250, 300), 0x0000FFu);
    EXPECT_EQ(Canvas().pixel(250, 303), 0x0000FFu); // 9 wide reaches 4 pixels off the line
    const auto records = NewRecords();
    ASSERT_EQ(records.size(), 3u); // the pen change itself is not recorded here
}

TEST_F(StrokeTest, RecordsGoThroughTheRotatedAndScaledLiveView) {
    LiveView.OriginX = 100;
    LiveView.OriginY = 50;
    LiveView.Angle = 0.5;
    LiveView.Scale = 2.0;
    Press(Qt::LeftButton, {400, 300});
    Move({450, 280});
    Move({120, 500}); // behind the origin along the rotated x axis: clamped to 0
    Release(Qt::LeftButton, {120, 500});
    // u = dx cos 0.5 - dy sin 0.5, v = dx sin 0.5 + dy cos 0.5, truncated,
    // then halved: (300, 250) gives u 143.42, v 363.22.
    const auto records = NewRecords();
    ASSERT_EQ(records.size(), 3u);
    ExpectRecord(records[0], CmdMove, 71, 181);
    ExpectRecord(records[1], CmdLine, 98, 184);
    ExpectRecord(records[2], CmdLine, 0, 202);
    // The live segment is painted where the pointer went, not through the view.
    EXPECT_EQ(Canvas().pixel(425, 290), 0x000000u);
}

TEST_F(StrokeTest, WhileTheScaleRotationPanelIsOpenADragRecordsOnlyItsPress) {
    form->PanelRotNScal->show();
    Press(Qt::LeftButton, {400, 400});
    Move({450, 420});
    Release(Qt::LeftButton, {450, 420});
    const auto records = NewRecords();
    ASSERT_EQ(records.size(), 1u);
    ExpectRecord(records[0], CmdMove, 400, 400);
    EXPECT_EQ(PointerX, 450); // the frame preview reads the pointer
    EXPECT_EQ(CountPixels(Canvas(), 0x000000), 0);
}

TEST_F(StrokeTest, ASegmentRepaintsOnlyItsBoxGrownByThePenRadius) {
    PenWidth = 6;
    Press(Qt::LeftButton, {100, 100});
    QCoreApplication::processEvents();
    std::vector<std::uint32_t> before(Canvas().bits(),
                                      Canvas().bits() + Canvas().width() * Canvas().height());
    Move({110, 105});
    const TRect asked = Screen().LastInvalidated();
    // The segment covers x 100..110 and y 100..105; a 6-pixel pen reaches 3
    // pixels beyond. A pixel or two of slack, but never the screen.
    EXPECT_LE(asked.left, 97);
    EXPECT_LE(asked.top, 97);
    EXPECT_GE(asked.right, 114);
    EXPECT_GE(asked.bottom, 109);
    EXPECT_GE(asked.left, 95);
    EXPECT_GE(asked.top, 95);
    EXPECT_LE(asked.right, 116);
    EXPECT_LE(asked.bottom, 111);
    // Every pixel that changed lies inside what was asked for.
    for (int y = 0; y < Canvas().height(); ++y) {
        for (int x = 0; x < Canvas().width(); ++x) {
            if (Canvas().bits()[y * Canvas().width() + x] != before[y * Canvas().width() + x]) {
                ASSERT_TRUE(x >= asked.left && x < asked.right && y >= asked.top &&
                            y < asked.bottom)
                    << x << "," << y;
            }
        }
    }
    // And the widget repaints just that.
    QCoreApplication::processEvents();
    EXPECT_EQ(Screen().LastPaintedRegion().boundingRect(),
              QRect(asked.left, asked.top, asked.right - asked.left, asked.bottom - asked.top));
    Release(Qt::LeftButton, {110, 105});
}

TEST_F(StrokeTest, ResizingKeepsThePictureWhereItStillFits) {
    Press(Qt::LeftButton, {50, 100});
    Move({350, 100});
    Release(Qt::LeftButton, {350, 100});
    Canvas().moveTo(7, 8);
    form->resize(200, 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(Canvas().width(), 200);
    form->resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(Canvas().width(), 400);
    EXPECT_EQ(Canvas().pixel(100, 100), 0x000000u); // kept
    EXPECT_EQ(Canvas().pixel(300, 100), 0xFFFFFFu); // was cut off, comes back white
    EXPECT_EQ(Canvas().penPos(), (TPoint{7, 8}));
}
