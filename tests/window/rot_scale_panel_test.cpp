// The scale/rotation panel: opening from the live view, the red frame and its
// white erase, the drag, the buttons' replays and the fit through "Вписать".
#include "form_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLocale>
#include <QPushButton>
#include <QSlider>

#include <cstdlib>
#include <cstring>

using namespace vellograph;

namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor White = 0xFFFFFF;
constexpr TColor Green = 0x00FF00;

// A 300 x 200 page at (50, 40): its whole frame lies on the surface.
constexpr TViewParams SmallPage{300, 200, 50, 40, 0.0, 1.0};

bool OnOutline(int x, int y, int left, int top, int right, int bottom) {
    const bool inside = x >= left && x <= right && y >= top && y <= bottom;
    return inside && (x == left || x == right || y == top || y == bottom);
}

class RotScalPanelTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        MakeShownForm();
        form->EnableDrawingItems();
    }

    // Through the menu item, as the user opens it after a right press there.
    void OpenPanelAt(int x, int y) {
        PointerX = x;
        PointerY = y;
        ASSERT_TRUE(form->MMPanelRotNScal->isEnabled());
        form->MMPanelRotNScal->trigger();
    }

    void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // Every pixel in the box is red on the outline, and `elsewhere` off it.
    void ExpectFrame(int left, int top, int right, int bottom, TColor elsewhere) {
        for (int y = top - 3; y <= bottom + 3; ++y) {
            for (int x = left - 3; x <= right + 3; ++x) {
                ASSERT_EQ(Canvas().pixel(x, y),
                          OnOutline(x, y, left, top, right, bottom) ? Red : elsewhere)
                    << x << "," << y;
            }
        }
    }
};

void ExpectSameView(const TViewParams& a, const TViewParams& b) {
    EXPECT_EQ(a.ExtentX, b.ExtentX);
    EXPECT_EQ(a.ExtentY, b.ExtentY);
    EXPECT_EQ(a.OriginX, b.OriginX);
    EXPECT_EQ(a.OriginY, b.OriginY);
    EXPECT_EQ(a.Angle, b.Angle);
    EXPECT_EQ(a.Scale, b.Scale);
}

} // namespace

TEST_F(RotScalPanelTest, OpeningFromTheDefaultScaleDrawsTheFrameOnlyWhenABarMoves) {
    LiveView = SmallPage;
    OpenPanelAt(420, 300);
    EXPECT_TRUE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(form->PanelRotNScal->pos(), QPoint(420, 300));
    EXPECT_EQ(form->TrackBarScale->value(), 20); // from its design position 1
    EXPECT_EQ(form->TrackBarRotate->value(), 0);
    ExpectSameView(PreviewView, LiveView);
    ExpectSameView(DrawnFrameView, PreviewView);
    ExpectFrame(50, 40, 350, 240, White);

    // Both bars are where the view puts them: nothing is drawn again.
    Canvas().setPixel(200, 40, Green);
    LiveView.OriginX = 60; // and the preview starts from LiveView again
    OpenPanelAt(10, 10);
    EXPECT_EQ(Canvas().pixel(200, 40), Green);
    EXPECT_EQ(Canvas().pixel(60, 100), White);
    ExpectSameView(PreviewView, LiveView);
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
        // Park the bars elsewhere so that the opening moves both.
        form->TrackBarScale->setValue(c.scalePosition == 20 ? 21 : 20);
        form->TrackBarRotate->setValue(c.anglePosition == 30 ? 31 : 30);
        LiveView = SmallPage;
        LiveView.Scale = c.scale;
        LiveView.Angle = c.angle;
        OpenPanelAt(0, 0);
        // The handlers ran inside the setters, before the command returned.
        EXPECT_EQ(form->TrackBarScale->value(), c.scalePosition) << c.scale;
        EXPECT_EQ(form->TrackBarRotate->value(), c.anglePosition) << c.angle;
        EXPECT_EQ(PreviewView.Scale, c.previewScale) << c.scale;
        EXPECT_EQ(PreviewView.Angle, c.previewAngle) << c.angle;
        ExpectSameView(DrawnFrameView, PreviewView);
        EXPECT_EQ(LiveView.Scale, c.scale); // nothing applied yet
    }
}

TEST_F(RotScalPanelTest, AChangeErasesTheOldFrameInWhiteAndRepaintsOnlyTheFrames) {
    // A black stroke across where the first frame will be.
    Canvas().setPenColor(0);
    Canvas().setPenWidth(1);
    Canvas().moveTo(20, 140);
    Canvas().lineTo(400, 140);
    LiveView = SmallPage;
    OpenPanelAt(500, 400);
    QCoreApplication::processEvents();

    form->TrackBarScale->setValue(10); // 0.5: the page shrinks to (50, 40)-(200, 140)
    EXPECT_EQ(PreviewView.Scale, 0.5);
    ExpectSameView(DrawnFrameView, PreviewView);
    EXPECT_EQ(Canvas().pixel(350, 140), White); // the old frame wiped the stroke there
    EXPECT_EQ(Canvas().pixel(300, 140), 0x000000u);
    EXPECT_EQ(Canvas().pixel(350, 40), White);
    EXPECT_EQ(Canvas().pixel(200, 240), White);
    for (int x = 50; x <= 200; ++x) {
        EXPECT_EQ(Canvas().pixel(x, 140), Red) << x; // the new frame's bottom, over the stroke
    }
    EXPECT_EQ(Canvas().pixel(200, 90), Red);
    EXPECT_EQ(Canvas().pixel(50, 90), Red);

    QCoreApplication::processEvents();
    const QRegion painted = Screen().LastPaintedRegion();
    for (const QPoint p : {QPoint(350, 140), QPoint(200, 240), QPoint(125, 40), QPoint(50, 90)}) {
        EXPECT_TRUE(painted.contains(p)) << p.x() << "," << p.y();
    }
    EXPECT_FALSE(painted.contains(QPoint(125, 90))); // inside the frame
    EXPECT_FALSE(painted.contains(QPoint(600, 500)));
}

TEST_F(RotScalPanelTest, ALeftPressRecordsAMoveAndTheDragMovesTheFrameInstead) {
    LiveView = SmallPage;
    OpenPanelAt(600, 450);
    const std::int32_t before = VecImage.LastIndex;
    QTest::mousePress(&Screen(), Qt::LeftButton, {}, QPoint(100, 100));
    ExpectSameView(PreviewView, LiveView); // the press does not move the frame
    QTest::mouseMove(&Screen(), QPoint(150, 120));
    EXPECT_EQ(PreviewView.OriginX, 150);
    EXPECT_EQ(PreviewView.OriginY, 120);
    QTest::mouseMove(&Screen(), QPoint(160, 130));
    QTest::mouseRelease(&Screen(), Qt::LeftButton, {}, QPoint(160, 130));
    ExpectSameView(DrawnFrameView, PreviewView);

    ASSERT_EQ(VecImage.LastIndex, before + 1);
    EXPECT_EQ(VecImage.Commands[VecImage.LastIndex].Letter, CmdMove);
    // Only the last frame is left, (160, 130)-(460, 330); the two before are white.
    ExpectFrame(160, 130, 460, 330, White);
    EXPECT_EQ(Canvas().pixel(100, 40), White);
    EXPECT_EQ(Canvas().pixel(300, 120), White);
    EXPECT_EQ(LiveView.OriginX, SmallPage.OriginX); // nothing applied yet
}

TEST_F(RotScalPanelTest, DefaultSizeThenCancelReplaysThroughTheDefaultViewAtPace4096) {
    std::vector<TPoint> points;
    for (int i = 0; i < 5000; ++i) {
        points.push_back({10 + i % 2 * 50, 10}); // back and forth on (10, 10)-(60, 10)
    }
    SetDrawing(StrokeRecords(points));
    LiveView = {300, 200, 100, 100, 0.5, 2.0};
    OpenPanelAt(500, 400);
    const int scalePosition = form->TrackBarScale->value();

    Click(form->ButtonScalToDef);
    ExpectSameView(LiveView, DefaultView);
    ExpectSameView(PreviewView, DefaultView);
    ExpectSameView(DrawnFrameView, DefaultView);
    EXPECT_TRUE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(form->TrackBarScale->value(), scalePosition);
    EXPECT_EQ(Canvas().pixel(30, 10), White); // not replayed
    EXPECT_EQ(Canvas().pixel(300, 0), Red);   // the default page's frame

    CountingHost counting{host};
    HostInstallation countingInstalled{counting};
    std::vector<std::int32_t> paces;
    counting.OnPump = [&](int) { paces.push_back(Pace); };
    Click(form->ButtonRNScalCancel);
    EXPECT_FALSE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(paces, (std::vector<std::int32_t>{4096, 4096})); // at records 0 and 4096
    EXPECT_EQ(Pace, 3);
    ExpectSameView(LiveView, DefaultView);
    EXPECT_EQ(Canvas().pixel(30, 10), 0x000000u);
    EXPECT_EQ(Canvas().pixel(300, 0), White); // the replay cleared the frames
}

TEST_F(RotScalPanelTest, OkAppliesThePreviewAndReplaysThroughIt) {
    SetDrawing(StrokeRecords({{10, 10}, {110, 10}}));
    LiveView = SmallPage;
    OpenPanelAt(500, 400);
    form->TrackBarScale->setValue(40); // 2.0
    QTest::mousePress(&Screen(), Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(&Screen(), QPoint(100, 50));
    QTest::mouseRelease(&Screen(), Qt::LeftButton, {}, QPoint(100, 50));
    PlayToEnd();
    Click(form->ButtonRNScalOk);
    EXPECT_FALSE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(Pace, PaceToEnd);
    ExpectSameView(LiveView, (TViewParams{300, 200, 100, 50, 0.0, 2.0}));
    // (10, 10)-(110, 10) at scale 2 from (100, 50): (120, 70)-(320, 70).
    EXPECT_EQ(Canvas().pixel(200, 70), 0x000000u);
    EXPECT_EQ(Canvas().pixel(60, 20), White);
    EXPECT_EQ(CountPixels(Canvas(), Red), 0);
}

TEST_F(RotScalPanelTest, FitToScreenShowsTheBoxThenReplaysUnrotatedAndCloses) {
    form->resize(700, 400);
    QCoreApplication::processEvents();
    ASSERT_EQ(Canvas().width(), 700);
    ASSERT_EQ(Canvas().height(), 400);
    SetDrawing(StrokeRecords({{100, 50}, {400, 140}, {250, 95}}));
    LiveView = SmallPage;
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
    EXPECT_EQ(LiveView.Scale, 700.0 / 300);
    EXPECT_EQ(LiveView.Angle, 0.0);
    EXPECT_EQ(LiveView.OriginX, -233); // Trunc(-233.33)
    EXPECT_EQ(LiveView.OriginY, -116); // Trunc(-116.67)
    EXPECT_EQ(LiveView.ExtentX, 400);
    EXPECT_EQ(LiveView.ExtentY, 140);
    EXPECT_FALSE(form->PanelRotNScal->isVisible());
    // The stroke now runs from the corner (0, 0) to (700, 210) and back to its middle.
    EXPECT_EQ(Canvas().pixel(350, 105), 0x000000u);
    EXPECT_EQ(Canvas().pixel(1, 0), 0x000000u);
    EXPECT_EQ(CountPixels(Canvas(), Red), 0);

    // A drawing with a single point gives no box: the view stays, and no
    // message, but the replay and the closing still happen.
    SetDrawing(StrokeRecords({{30, 30}, {30, 30}}));
    const TViewParams fitted = LiveView;
    OpenPanelAt(0, 0);
    Click(form->ButtonFitToScreen);
    EXPECT_EQ(dialogs.Messages.size(), 1u);
    ExpectSameView(LiveView, fitted);
    EXPECT_FALSE(form->PanelRotNScal->isVisible());
    EXPECT_EQ(Canvas().pixel(350, 105), White);
}

TEST_F(RotScalPanelTest, TheLongestCaptionsFitTheirDesignWidths) {
    // Cut-off captions came from fonts wider than the one the widths were made for.
    for (QWidget* control : std::initializer_list<QWidget*>{
             form->ButtonScalToDef, form->ButtonRNScalOk, form->CheckBoxTrForm}) {
        EXPECT_LE(control->sizeHint().width(), control->width())
            << control->objectName().toStdString();
    }
    EXPECT_EQ(form->ButtonScalToDef->geometry(), QRect(8, 104, 161, 25));
}
