// The transparency panel: its first opening, the floor of 7, the box that
// switches the level on and off, a translucent window that still obeys, and
// what a compositor shows of it.
#include "tests/support/form_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QSlider>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

using namespace vellograph;

namespace {

std::vector<std::string> Warnings;

void CaptureWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg) {
        Warnings.push_back(message.toStdString());
    }
}

class TransparencyTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        Warnings.clear();
        previous_ = qInstallMessageHandler(CaptureWarnings);
        MakeShownForm();
    }
    void TearDown() override {
        qInstallMessageHandler(previous_);
        FormTest::TearDown();
    }

    void Open() { form->MMTranspForm->trigger(); }
    void ClickBox() { QTest::mouseClick(form->CheckBoxTrForm, Qt::LeftButton); }
    std::string Caption() const { return form->CheckBoxTrForm->text().toStdString(); }
    // The level the window shows: its opacity, or the alpha it paints with.
    double Shown() const {
        return form->windowOpacity() * form->ImageScreen->PaintedAlpha() / 255.0;
    }

private:
    QtMessageHandler previous_ = nullptr;
};

} // namespace

TEST_F(TransparencyTest, FirstOpeningJumpsTheBarTo255AndOkOnlyHides) {
    ASSERT_TRUE(form->MMTranspForm->isEnabled());
    EXPECT_EQ(form->TrackBarTranspForm->value(), 1); // the design position
    PointerX = 30;
    PointerY = 40;
    Open();
    EXPECT_EQ(form->PanelTranspForm->pos(), QPoint(30, 40));
    EXPECT_EQ(form->TrackBarTranspForm->value(), 255);
    EXPECT_EQ(Caption(), "Прозрачность: 255");
    EXPECT_FALSE(form->CheckBoxTrForm->isChecked());
    EXPECT_EQ(form->AlphaBlendValue(), 255);
    EXPECT_DOUBLE_EQ(Shown(), 1.0);
    QTest::mouseClick(form->ButtonTrFormOk, Qt::LeftButton);
    EXPECT_FALSE(form->PanelTranspForm->isVisible());
}

TEST_F(TransparencyTest, DraggingBelowSevenWithTheBoxTickedStopsAtSeven) {
    Open();
    ClickBox();
    EXPECT_TRUE(form->AlphaBlend());
    std::vector<int> levels; // seen from a slot after the handler's
    QObject::connect(form->TrackBarTranspForm, &QSlider::valueChanged, form.get(),
                     [&] { levels.push_back(form->AlphaBlendValue()); });
    QTest::keyClick(form->TrackBarTranspForm, Qt::Key_Home); // to the minimum, 1
    EXPECT_EQ(form->TrackBarTranspForm->value(), 7);
    EXPECT_EQ(Caption(), "Прозрачность: 7");
    EXPECT_EQ(form->AlphaBlendValue(), 7);
    EXPECT_DOUBLE_EQ(Shown(), 7 / 255.0);
    // The nested run for 7 ends before the move to 1 reaches later slots.
    EXPECT_EQ(levels, (std::vector<int>{7, 7}));
}

TEST_F(TransparencyTest, TheBoxSwitchesTheStoredLevelOnAndOffQuietly) {
    Open();
    form->TrackBarTranspForm->setValue(100); // as a drag with the box clear
    EXPECT_EQ(Caption(), "Прозрачность: 100");
    EXPECT_EQ(form->AlphaBlendValue(), 100);
    EXPECT_DOUBLE_EQ(Shown(), 1.0);
    ClickBox();
    EXPECT_DOUBLE_EQ(Shown(), 100 / 255.0);
    ClickBox();
    EXPECT_FALSE(form->AlphaBlend());
    EXPECT_DOUBLE_EQ(Shown(), 1.0);
    ClickBox();
    EXPECT_DOUBLE_EQ(Shown(), 100 / 255.0);

    // Platforms without per-window alpha keep quiet about it.
    for (const std::string& warning : Warnings) {
        EXPECT_EQ(warning.find("opacity"), std::string::npos) << warning;
    }
}

TEST_F(TransparencyTest, ATranslucentWindowStillTakesTheMenuAndEsc) {
    Open();
    ClickBox();
    form->TrackBarTranspForm->setValue(7);
    QTest::mousePress(form->ImageScreen, Qt::RightButton, {}, QPoint(200, 200));
    EXPECT_TRUE(form->PopupMainMenu->isVisible());
    form->PopupMainMenu->hide();
    QTest::mouseRelease(form->ImageScreen, Qt::RightButton, {}, QPoint(200, 200));
    QTest::keyClick(form->TrackBarTranspForm, Qt::Key_Escape);
    EXPECT_TRUE(StopRequested);
    EXPECT_FALSE(form->isVisible());
}

namespace {

// The screen's pixels at the points, once two screenshots in a row agree on
// them (what was drawn or faded is then on the screen) and they pass the
// check. The command in VELLOGRAPH_SCREENSHOT takes each, given the PNG.
std::vector<QRgb> Shoot(const std::vector<QPoint>& points,
                        const std::function<bool(const std::vector<QRgb>&)>& check) {
    const QString shot = QDir::temp().filePath(
        QString("vellograph-shot-%1.png").arg(QCoreApplication::applicationPid()));
    std::vector<QRgb> pixels, previous;
    WaitFor(
        [&] {
            QProcess::execute(
                "sh", {"-c", qEnvironmentVariable("VELLOGRAPH_SCREENSHOT") + " \"$0\"", shot});
            const QImage image(shot);
            previous = std::exchange(pixels, {});
            for (const QPoint& p : points) {
                pixels.push_back(image.valid(p) ? image.pixel(p) & 0xFFFFFF : 0xFF000000);
            }
            return pixels == previous && check(pixels);
        },
        5000);
    QFile::remove(shot);
    return pixels;
}

// Each channel of the pixel is that of over blended with alpha onto under.
bool Blends(QRgb pixel, QRgb over, QRgb under, int alpha) {
    for (const int shift : {16, 8, 0}) {
        const auto channel = [shift](QRgb rgb) { return static_cast<int>(rgb >> shift & 0xFF); };
        const int want = (channel(over) * alpha + channel(under) * (255 - alpha) + 127) / 255;
        if (std::abs(channel(pixel) - want) > 4) {
            return false;
        }
    }
    return true;
}

} // namespace

// Run by the script that starts a compositor (on Wayland, or on X11 with a
// compositing manager) and says how to take a screenshot of it.
TEST_F(TransparencyTest, UnderACompositorTheDesktopShowsThroughAtHalfLevelOnly) {
    if (qEnvironmentVariableIsEmpty("VELLOGRAPH_SCREENSHOT")) {
        GTEST_SKIP() << "no compositor to take a screenshot of";
    }
    // Weston lays a black backdrop behind a full-screen window, so that
    // nothing of its desktop could show through; maximized, with no panel,
    // the window covers the same pixels. GNOME's and KDE's are run full
    // screen by the end-to-end script of the desktops.
    form.reset();
    MakeForm().showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    PointerX = 100;
    PointerY = 100;
    Open();
    ClickBox(); // on, at 255
    // The surface beyond the panel, and the panel between its box and "Ok".
    const std::vector<QPoint> points{{700, 400}, {280, 150}};
    const auto opaque = Shoot(points, [](auto& shown) { return shown[0] == 0xFFFFFF; });
    form->TrackBarTranspForm->setValue(128);
    form->hide();
    const auto desktop = Shoot(points, [](auto& shown) { return shown[0] != 0xFFFFFF; });
    form->show();
    const auto half = Shoot(points, [&](auto& shown) {
        return Blends(shown[0], opaque[0], desktop[0], 128) &&
               Blends(shown[1], opaque[1], desktop[1], 128);
    });
    std::printf("level 255: surface %06x, panel %06x; desktop %06x, %06x; level 128: %06x, %06x\n",
                opaque[0], opaque[1], desktop[0], desktop[1], half[0], half[1]);
    EXPECT_EQ(opaque[0], 0xFFFFFFu);
    EXPECT_TRUE(Blends(half[0], opaque[0], desktop[0], 128) &&
                Blends(half[1], opaque[1], desktop[1], 128));
}
