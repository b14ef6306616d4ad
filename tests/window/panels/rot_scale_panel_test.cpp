// The scale/rotation panel: opening from the live view, the red frame and its
// white erase, the drag, the buttons' replays and the fit through "Вписать".
#include "tests/support/form_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLocale>
#include <QPushButton>
#include <QSlider>

#include <cstdlib>
#include <cstring>
#include <tuple>

using namespace vellograph;

namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor White = 0xFFFFFF;

// A 300 x 200 page at (50, 40): its whole frame lies on the surface.
constexpr TViewParams SmallPage{300, 200, 50, 40, 0.0, 1.0};

auto Fields(const TViewParams& v) {
    return std::make_tuple(v.ExtentX, v.ExtentY, v.OriginX, v.OriginY, v.Angle, v.Scale);
}

class RotScalPanelTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        MakeShownForm();
    }

    // Through the menu item, as after a right press at (x, y).
    void OpenPanelAt(int x, int y) {
        PointerX = x;
        PointerY = y;
        form->MMPanelRotNScal->trigger();
    }
    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Red on the outline, white around it and inside, three pixels either way.
    void ExpectOnlyFrame(int left, int top, int right, int bottom) {
        for (int y = top - 3; y <= bottom + 3; ++y) {
            for (int x = left - 3; x <= right + 3; ++x) {
                const bool inside = x >= left && x <= right && y >= top && y <= bottom;
                const bool edge = x == left || x == right || y == top || y == bottom;
                ASSERT_EQ(Canvas().pixel(x, y), inside && edge ? Red : White) << x << "," << y;
            }
        }
    }
};

} // namespace

TEST_F(RotScalPanelTest, OpeningDrawsTheFrameOnlyWhenABarMoves) {
    ASSERT_TRUE(form->MMPanelRotNScal->isEnabled());
    LiveView = SmallPage;
    OpenPanelAt(420, 300);
    EXPECT_TRUE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(form->PanelRotNScal->pos(), QPoint(420, 300));
    EXPECT_EQ(form->TrackBarScale->value(), 20); // from its design position 1
    EXPECT_EQ(form->TrackBarRotate->value(), 0);
    EXPECT_EQ(Fields(PreviewView), Fields(LiveView));
    EXPECT_EQ(Fields(DrawnFrameView), Fields(LiveView));
    ExpectOnlyFrame(50, 40, 350, 240);

    // Both bars already where the view puts them: nothing is drawn.
    ClearSurface(Canvas(), White);
    LiveView.OriginX = 60;
    OpenPanelAt(10, 10);
    EXPECT_EQ(CountPixels(Canvas(), Red), 0);
    EXPECT_EQ(Fields(PreviewView), Fields(LiveView));
    EXPECT_EQ(form->PanelRotNScal->pos(), QPoint(10, 10));
}

TEST_F(RotScalPanelTest, BarsClampTheLiveValuesAndThePreviewTakesTheBarsSteps) {
    const struct {
        double scale, angle;
        int scalePosition, anglePosition;
        double previewScale, previewAngle;
    } cases[] = {
        {13.66, 0.0, 40, 0, 2.0, 0.0},  // after a fit: the top of the range
        {0.38, 0.0, 7, 0, 0.35, 0.0},   // 7.6 truncates
        {0.35, 0.7, 7, 7, 0.35, 0.7},   // a bar's own values give its position back
        {0.01, -1.0, 1, 0, 0.05, 0.0},  // below both ranges
        {1e300, 7.0, 40, 62, 2.0, 6.2}, // above both, the scale far beyond int
    };
    for (const auto& c : cases) {
        form->TrackBarScale->setValue(c.scalePosition == 20 ? 21 : 20); // so that both move
        form->TrackBarRotate->setValue(c.anglePosition == 30 ? 31 : 30);
        LiveView = SmallPage;
        LiveView.Scale = c.scale;
        LiveView.Angle = c.angle;
        OpenPanelAt(0, 0);
        // The change handlers ran inside the setters, before the command returned.
        EXPECT_EQ(form->TrackBarScale->value(), c.scalePosition) << c.scale;
        EXPECT_EQ(form->TrackBarRotate->value(), c.anglePosition) << c.angle;
        EXPECT_EQ(PreviewView.Scale, c.previewScale) << c.scale;
        EXPECT_EQ(PreviewView.Angle, c.previewAngle) << c.angle;
        EXPECT_EQ(Fields(DrawnFrameView), Fields(PreviewView));
        EXPECT_EQ(LiveView.Scale, c.scale); // nothing applied yet
    }
}

TEST_F(RotScalPanelTest, AChangeErasesTheOldFrameInWhiteAndRepaintsOnlyTheFrames) {
    Canvas().setPenColor(0);
    Canvas().setPenWidth(1);
    Canvas().moveTo(20, 140);
    Canvas().lineTo(400, 140); // a stroke across both frames
    LiveView = SmallPage;
    OpenPanelAt(500, 400);
    QCoreApplication::processEvents();

    form->TrackBarScale->setValue(10); // 0.5: the page shrinks to (50, 40)-(200, 140)
    EXPECT_EQ(Fields(DrawnFrameView), Fields(PreviewView));
    EXPECT_EQ(Canvas().pixel(350, 140), White); // the erase wipes the stroke too
    EXPECT_EQ(Canvas().pixel(300, 140), 0x000000u);
    EXPECT_EQ(Canvas().pixel(350, 40), White);
    EXPECT_EQ(Canvas().pixel(200, 240), White);
    EXPECT_EQ(Canvas().pixel(125, 140), Red);
    EXPECT_EQ(Canvas().pixel(200, 90), Red);
    EXPECT_EQ(Canvas().pixel(50, 90), Red); // erased and drawn again

    QCoreApplication::processEvents();
    const QRegion painted = Screen().LastPaintedRegion();
    for (const QPoint p : {QPoint(350, 140), QPoint(200, 240), QPoint(125, 40), QPoint(50, 90)}) {
        EXPECT_TRUE(painted.contains(p)) << p.x() << "," << p.y();
    }
    EXPECT_FALSE(painted.contains(QPoint(125, 90))); // inside the frame
}

TEST_F(RotScalPanelTest, ADragMovesTheFrameRecordingOnlyThePressAndOkReplaysThroughIt) {
    SetDrawing(StrokeRecords({{10, 10}, {110, 10}}));
    LiveView = SmallPage;
    OpenPanelAt(600, 450);
    QTest::mousePress(&Screen(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(Fields(PreviewView), Fields(LiveView)); // the press does not move the frame
    QTest::mouseMove(&Screen(), QPoint(150, 120));
    QTest::mouseMove(&Screen(), QPoint(160, 130));
    QTest::mouseRelease(&Screen(), Qt::LeftButton, {}, QPoint(160, 130));
    ASSERT_EQ(VecImage.LastIndex, 2);
    EXPECT_EQ(VecImage.Commands[2].Letter, CmdMove);
    EXPECT_EQ(Fields(DrawnFrameView), Fields(PreviewView));
    ExpectOnlyFrame(160, 130, 460, 330); // the frames at (50, 40) and (150, 120) are gone
    EXPECT_EQ(Canvas().pixel(100, 40), White);
    EXPECT_EQ(Canvas().pixel(300, 120), White);
    EXPECT_EQ(LiveView.OriginX, SmallPage.OriginX);

    form->TrackBarScale->setValue(40);
    PlayToEnd();
    Click(form->ButtonRNScalOk);
    EXPECT_FALSE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(Pace, PaceToEnd);
    EXPECT_EQ(Fields(LiveView), Fields(TViewParams{300, 200, 160, 130, 0.0, 2.0}));
    EXPECT_EQ(Canvas().pixel(280, 150), 0x000000u); // (10, 10)-(110, 10) at 2x from (160, 130)
    EXPECT_EQ(CountPixels(Canvas(), Red), 0);
}

TEST_F(RotScalPanelTest, DefaultSizeThenCancelReplaysThroughTheDefaultViewAtPace4096) {
    std::vector<TPoint> points;
    for (int i = 0; i < 5000; ++i) {
        points.push_back({10 + i % 2 * 50, 10}); // back and forth on (10, 10)-(60, 10)
    }
    SetDrawing(StrokeRecords(points));
    LiveView = {300, 200, 100, 100, 0.5, 2.0};
    OpenPanelAt(500, 400);
    Click(form->ButtonScalToDef);
    EXPECT_EQ(Fields(LiveView), Fields(DefaultView));
    EXPECT_EQ(Fields(DrawnFrameView), Fields(DefaultView));
    EXPECT_TRUE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(form->TrackBarScale->value(), 40); // the bars stay
    EXPECT_EQ(Canvas().pixel(30, 10), White);    // nothing replayed yet
    EXPECT_EQ(Canvas().pixel(300, 0), Red);      // the default page's frame

    FakeHost counting{host};
    ScopedHost countingInstalled{counting};
    std::vector<std::int32_t> paces;
    counting.onPump = [&] { paces.push_back(Pace); };
    Click(form->ButtonRNScalCancel);
    EXPECT_FALSE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(paces, (std::vector<std::int32_t>{4096, 4096})); // at records 0 and 4096
    EXPECT_EQ(Pace, PaceSlow);
    EXPECT_EQ(Fields(LiveView), Fields(DefaultView));
    EXPECT_EQ(Canvas().pixel(30, 10), 0x000000u);
    EXPECT_EQ(Canvas().pixel(300, 0), White);
}

TEST_F(RotScalPanelTest, FitToScreenShowsTheBoxThenReplaysUnrotatedAndCloses) {
    form->resize(700, 400);
    QCoreApplication::processEvents();
    ASSERT_EQ(Canvas().width(), 700);
    SetDrawing(StrokeRecords({{100, 50}, {400, 140}, {250, 95}}));
    OpenPanelAt(0, 0);
    form->TrackBarRotate->setValue(15); // the preview's rotation plays no part

    Click(form->ButtonFitToScreen);
    // sx = 700 / 300 and sy = 400 / 90: the width decides.
    const std::string separator = QLocale::system().decimalPoint().toStdString();
    const char* language = std::getenv("LC_ALL");
    if (language && std::strncmp(language, "de_", 3) == 0) {
        EXPECT_EQ(separator, ","); // the run under a German locale
    }
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0],
              "X=100 Y=50\nW=400 H=140\nScale=2" + separator + "33333333333333");
    EXPECT_EQ(Fields(LiveView), Fields(TViewParams{400, 140, -233, -116, 0.0, 700.0 / 300}));
    EXPECT_FALSE(form->PanelRotNScal->isVisible());
    // The stroke runs from the corner (0, 0) to (700, 210) and back to its middle.
    EXPECT_EQ(Canvas().pixel(350, 105), 0x000000u);
    EXPECT_EQ(Canvas().pixel(1, 0), 0x000000u);
    EXPECT_EQ(CountPixels(Canvas(), Red), 0);
}

TEST_F(RotScalPanelTest, TheLongestCaptionsFitTheirDesignWidths) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             form->ButtonScalToDef, form->ButtonRNScalOk, form->CheckBoxTrForm}) {
        EXPECT_LE(control->sizeHint().width(), control->width())
            << control->objectName().toStdString();
    }
    EXPECT_EQ(form->ButtonScalToDef->geometry(), QRect(8, 104, 161, 25));
}
