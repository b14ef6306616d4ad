// On a screen scaled 2x the surface has the screen's device pixels, strokes
// land on the pixel under the pointer, and panels open at the matching point.
#include "tests/support/form_fixture.h"

#include <QFrame>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

using namespace vellograph;

TEST_F(FormTest, TheSurfaceHasDevicePixelsAndStrokesUseThem) {
    MakeShownForm();
    ASSERT_EQ(form->devicePixelRatioF(), 2.0);
    EXPECT_EQ(Canvas().width(), 2 * form->ImageScreen->width());
    EXPECT_EQ(Canvas().height(), 2 * form->ImageScreen->height());
    if (form->screen()->geometry().size() == QSize(1920, 1080)) {
        EXPECT_EQ(Canvas().width(), 3840); // the test screen, a 1920x1080 desktop
        EXPECT_EQ(Canvas().height(), 2160);
    }

    // Positions between logical pixels are kept: (50.5, 60.25) is device (101, 121).
    // Sent to the window, as the window system's are, for Qt to deliver.
    QWindow* const window = form->windowHandle();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(50.5, 60.25),
                      Screen().mapToGlobal(QPointF(50.5, 60.25)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(window, &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 60.5),
                     Screen().mapToGlobal(QPointF(100, 60.5)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(100, 60.5),
                        Screen().mapToGlobal(QPointF(100, 60.5)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(window, &release);

    const TDrawCommand m = VecImage.Commands[VecImage.LastIndex - 1];
    const TDrawCommand l = VecImage.Commands[VecImage.LastIndex];
    EXPECT_EQ(RecordX(m), 101);
    EXPECT_EQ(RecordY(m), 121);
    EXPECT_EQ(RecordX(l), 200);
    EXPECT_EQ(RecordY(l), 121);
    EXPECT_EQ(Canvas().pixel(150, 121), 0x000000u);
    // The repaint asked for covers the segment in device pixels.
    const TRect asked = Screen().LastInvalidated();
    EXPECT_LE(asked.left, 101);
    EXPECT_GE(asked.right, 201);
    EXPECT_LE(asked.right, 206);
}

TEST_F(FormTest, MenuAndPanelsOpenAtTheLogicalPointOfThePress) {
    MakeShownForm();
    QTest::mousePress(&Screen(), Qt::RightButton, {}, QPoint(120, 80));
    EXPECT_EQ(PointerX, 240);
    EXPECT_EQ(PointerY, 160);
    EXPECT_EQ(form->PopupMainMenu->pos().x(), Screen().mapToGlobal(QPoint(120, 80)).x());
    form->PopupMainMenu->hide();
    form->PlaceAtPointer(form->PanelDelay);
    EXPECT_EQ(form->PanelDelay->pos(), QPoint(120, 80));
}

TEST_F(FormTest, ThePictureIsShownPixelForPixel) {
    MakeShownForm();
    Canvas().setPixel(101, 121, 0x0000FF); // one device pixel, red
    Screen().InvalidateSurface({100, 120, 103, 123});
    const QImage grabbed = form->ImageScreen->grab().toImage();
    ASSERT_EQ(grabbed.width(), Canvas().width());
    EXPECT_EQ(grabbed.pixelColor(101, 121), QColor(255, 0, 0));
    EXPECT_EQ(grabbed.pixelColor(100, 121), QColor(255, 255, 255));
    EXPECT_EQ(grabbed.pixelColor(102, 121), QColor(255, 255, 255));
}
