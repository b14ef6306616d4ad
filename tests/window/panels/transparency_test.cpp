// The transparency panel: its first opening, the floor of 7, the box that
// switches the level on and off, and a translucent window that still obeys.
#include "tests/support/form_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QSlider>

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
    EXPECT_EQ(form->windowOpacity(), 1.0);
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
    EXPECT_EQ(form->windowOpacity(), 7 / 255.0);
    // The nested run for 7 ends before the move to 1 reaches later slots.
    EXPECT_EQ(levels, (std::vector<int>{7, 7}));
}

TEST_F(TransparencyTest, TheBoxSwitchesTheStoredLevelOnAndOffQuietly) {
    Open();
    form->TrackBarTranspForm->setValue(100); // as a drag with the box clear
    EXPECT_EQ(Caption(), "Прозрачность: 100");
    EXPECT_EQ(form->AlphaBlendValue(), 100);
    EXPECT_EQ(form->windowOpacity(), 1.0);
    ClickBox();
    EXPECT_EQ(form->windowOpacity(), 100 / 255.0);
    ClickBox();
    EXPECT_FALSE(form->AlphaBlend());
    EXPECT_EQ(form->windowOpacity(), 1.0);
    ClickBox();
    EXPECT_EQ(form->windowOpacity(), 100 / 255.0);

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
