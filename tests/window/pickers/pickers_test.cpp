// The pen width and colour pickers driven through the window: what moves
// and clicks set and record, and the pictures they paint.
#include "tests/support/form_fixture.h"
#include "window/pickers/canvas_image.h"
#include "window/pickers/palette.h"

using namespace vellograph;

namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x00FF00;
constexpr TColor White = 0xFFFFFF;

constexpr TColor Rgb(int r, int g, int b) {
    return static_cast<TColor>(r | g << 8 | b << 16);
}

// The palette worked out from its description: 3 x 3 blocks of 9 x 9 cells
// over rows 0 to 26, then the bottom row's table.
TColor PaletteCellByHand(int c, int r) {
    auto level = [](int n) { return n == 8 ? 255 : 32 * n; };
    if (r < 27) {
        return Rgb(level(c % 9), level(r % 9), level(3 * (r / 9) + c / 9));
    }
    static const int bottom[27][3] = {
        {0, 0, 0},       {32, 32, 32},    {64, 64, 64},    {96, 96, 96},    {128, 128, 128},
        {160, 160, 160}, {192, 192, 192}, {224, 224, 224}, {255, 255, 255}, {0, 0, 0},
        {255, 0, 0},     {0, 255, 0},     {255, 255, 0},   {0, 0, 255},     {255, 0, 255},
        {0, 255, 255},   {255, 255, 255}, {0, 0, 0},       {127, 0, 0},     {0, 127, 0},
        {255, 127, 0},   {0, 0, 127},     {127, 0, 127},   {0, 127, 127},   {127, 127, 127},
        {0, 0, 0},       {0, 0, 0}};
    return Rgb(bottom[c][0], bottom[c][1], bottom[c][2]);
}

class PickerTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        MakeShownForm();
        form->EnableDrawingItems();
        SetDrawing(StrokeRecords({{10, 10}, {50, 60}}));
    }

    // A move with no button held, delivered through the window system as a
    // real one is (QTest's own move would carry buttons an earlier test left
    // pressed).
    void Hover(QWidget* widget, QPoint at) {
        const QPoint local = widget->mapTo(form.get(), at);
        qt_handleMouseEvent(form->windowHandle(), local, form->mapToGlobal(local), Qt::NoButton,
                            Qt::NoButton, QEvent::MouseMove, Qt::NoModifier,
                            ++QTest::lastMouseTimestamp);
        QCoreApplication::processEvents();
    }

    TRecords RecordsAfter(std::size_t count) const {
        return {VecImage.Commands.begin() + static_cast<std::ptrdiff_t>(count),
                VecImage.Commands.begin() + VecImage.LastIndex + 1};
    }

    TCanvasImage& WidthPicker() { return *form->ImagePenWidth; }
    TCanvasImage& ColorPicker() { return *form->ImagePenColor; }

    // The colour picker's picture after opening and, when hovered is given,
    // after hovers ending on that cell.
    void ExpectPalettePicture(TColor pen, TColor fill, const PaletteCell* hovered) {
        const TCanvas& canvas = ColorPicker().Canvas();
        for (int y = 0; y < 367; ++y) {
            for (int x = 0; x < 354; ++x) {
                const int c = (x - 2) / 13, r = (y - 2) / 13;
                const bool frame = x == 0 || y == 0 || x == 353 || y == 366;
                const bool grid = (x - 1) % 13 == 0 || (y - 1) % 13 == 0;
                bool highlight = false;
                if (hovered) {
                    const int left = 13 * hovered->column + 1, top = 13 * hovered->row + 1;
                    highlight = x >= left && x <= left + 13 && y >= top && y <= top + 13 &&
                                (x == left || x == left + 13 || y == top || y == top + 13);
                }
                TColor expected;
                if (frame) {
                    expected = 0x7F7F7F;
                } else if (highlight) {
                    expected = White;
                } else if (grid) {
                    // Grid lines leave out their end points, so none reaches
                    // the last corner; before any hover there are none at all.
                    expected = hovered && !(x == 352 && y == 365) ? 0xBFBFBF : White;
                } else if (r == 27 && c >= 25) {
                    expected = hovered ? PaletteCellByHand(hovered->column, hovered->row)
                                       : (c == 25 ? pen : fill);
                } else {
                    expected = PaletteCellByHand(c, r);
                }
                ASSERT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
            }
        }
    }
};

} // namespace

TEST_F(PickerTest, PenWidthFollowsEveryMoveOverThePicker) {
    WidthPicker().Canvas().setPixel(5, 5, Green);
    PointerX = 100;
    PointerY = 200;
    form->MMPenWidth->trigger();
    EXPECT_TRUE(WidthPicker().isVisible());
    EXPECT_EQ(WidthPicker().pos(), QPoint(100, 200));
    EXPECT_EQ(WidthPicker().Canvas().pixel(5, 5), Green); // opening paints nothing

    const struct {
        int x, width;
    } cases[] = {{65, 2}, {66, 1}, {255, 95}, {0, 2}, {100, 18}, {68, 2}};
    for (const auto& c : cases) {
        Hover(&WidthPicker(), {c.x, 40});
        EXPECT_EQ(PenWidth, c.width) << c.x;
    }
    EXPECT_EQ(WidthPicker().Canvas().pixel(5, 5), White);
    EXPECT_EQ(VecImage.LastIndex, 1); // moves record nothing
}

TEST_F(PickerTest, PenWidthPreviewIsFieldSampleLineAndFrame) {
    PenColor = Red;
    form->MMPenWidth->trigger();
    Hover(&WidthPicker(), {66, 30}); // width 1
    const TCanvas& canvas = WidthPicker().Canvas();
    for (int y = 0; y < 128; ++y) {
        for (int x = 0; x < 256; ++x) {
            TColor expected = White;
            if (x == 0 || y == 0 || x == 255 || y == 127) {
                expected = 0;
            } else if (y == 64 && x >= 64) {
                expected = Red;
            }
            ASSERT_EQ(canvas.pixel(x, y), expected) << x << "," << y;
        }
    }
    Hover(&WidthPicker(), {255, 30}); // width 95: a thick line with a round start
    EXPECT_EQ(canvas.pixel(150, 64), Red);
    EXPECT_EQ(canvas.pixel(150, 20), Red);
    EXPECT_EQ(canvas.pixel(150, 10), White);
    EXPECT_EQ(canvas.pixel(22, 64), Red);
    EXPECT_EQ(canvas.pixel(10, 64), White);
    EXPECT_EQ(canvas.pixel(255, 64), 0u); // the frame lies on top
}

TEST_F(PickerTest, EveryClickRecordsTheWidthAndOnlyALeftClickCloses) {
    PenWidth = 7;
    LiveView.Scale = 2.0;
    form->MMPenWidth->trigger();
    const std::size_t before = VecImage.Commands.size();
    QTest::mouseClick(&WidthPicker(), Qt::RightButton, {}, {120, 40}); // no move before it
    EXPECT_TRUE(WidthPicker().isVisible());
    EXPECT_FALSE(form->PopupMainMenu->isVisible());
    QTest::mouseClick(&WidthPicker(), Qt::MiddleButton, {}, {120, 40});
    EXPECT_TRUE(WidthPicker().isVisible());
    QTest::mouseClick(&WidthPicker(), Qt::LeftButton, {}, {120, 40});
    EXPECT_FALSE(WidthPicker().isVisible());
    const auto records = RecordsAfter(before);
    ASSERT_EQ(records.size(), 3u);
    for (const TDrawCommand& record : records) {
        EXPECT_EQ(record.Letter, CmdPenWidth);
        EXPECT_EQ(RecordX(record), 3); // 7 at scale 2, truncated
    }
    EXPECT_EQ(PenWidth, 7);
}

TEST_F(PickerTest, ColourPickerOpensWithPaletteAndBothIndicators) {
    PenColor = Red;
    FillColor = Green;
    PointerX = 50;
    PointerY = 60;
    form->MMPenColor->trigger();
    EXPECT_TRUE(ColorPicker().isVisible());
    EXPECT_EQ(ColorPicker().pos(), QPoint(50, 60));
    EXPECT_EQ(ColorPicker().Canvas().pixel(13 * 13 + 2, 4 * 13 + 2), Rgb(128, 128, 32));
    ExpectPalettePicture(Red, Green, nullptr);
}

TEST_F(PickerTest, HoversFrameOnlyTheLastCellAndShowItInBothIndicators) {
    PenColor = Red;
    form->MMPenColor->trigger();
    for (QPoint at : {QPoint(5, 5), QPoint(353, 366), QPoint(100, 300), QPoint(200, 150)}) {
        Hover(&ColorPicker(), at);
    }
    const PaletteCell last{15, 11};
    ExpectPalettePicture(Red, White, &last);

    Hover(&ColorPicker(), {330, 356}); // the pen colour indicator's own entry is black
    EXPECT_EQ(ColorPicker().Canvas().pixel(330, 356), 0u);
    EXPECT_EQ(ColorPicker().Canvas().pixel(345, 360), 0u);
    EXPECT_EQ(PenColor, Red); // hovering chooses nothing
}

TEST_F(PickerTest, ClicksChooseByButtonRecordThePenColourAndClose) {
    const struct {
        Qt::MouseButton button;
        QPoint at;
        TColor pen, fill; // afterwards, starting from Red and Green
    } cases[] = {
        {Qt::LeftButton, {330, 356}, 0, Green}, // an indicator: its entry, black
        {Qt::LeftButton, {13 * 13 + 5, 4 * 13 + 5}, Rgb(128, 128, 32), Green},
        {Qt::RightButton, {13 * 8 + 5, 5}, Red, Red}, // cell (8, 0)
        {Qt::MiddleButton, {13 * 8 + 5, 5}, Red, Green},
    };
    for (const auto& c : cases) {
        PenColor = Red;
        FillColor = Green;
        form->MMPenColor->trigger();
        const std::size_t before = VecImage.Commands.size();
        QTest::mouseClick(&ColorPicker(), c.button, {}, c.at);
        EXPECT_EQ(PenColor, c.pen) << c.button;
        EXPECT_EQ(FillColor, c.fill) << c.button;
        EXPECT_FALSE(ColorPicker().isVisible()) << c.button;
        EXPECT_FALSE(form->PopupMainMenu->isVisible()) << c.button;
        const auto records = RecordsAfter(before);
        ASSERT_EQ(records.size(), 1u) << c.button;
        EXPECT_EQ(records[0].Letter, CmdColor);
        EXPECT_EQ(RecordColor(records[0]), c.pen) << c.button;
    }
}
