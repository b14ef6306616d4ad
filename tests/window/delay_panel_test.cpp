// The delay panel's records, and the layout of both small panels.
#include "canvas_image.h"
#include "form_fixture.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace vellograph;

namespace {

class DelayPanelTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        MakeShownForm();
        form->EnableDrawingItems();
        SetDrawing(StrokeRecords({{10, 10}, {50, 60}}));
    }

    void Record(const char* text) {
        form->MMPanelDelay->trigger();
        form->EditDelay->setText(QString::fromUtf8(text));
        QTest::mouseClick(form->ButtonDelay, Qt::LeftButton);
    }
};

} // namespace

TEST_F(DelayPanelTest, OkRecordsTheClampedDelayAndCloses) {
    const struct {
        const char* text;
        std::int32_t ms;
    } cases[] = {{"5", 10},        {"-3", 10},       {"10", 10},  {"5000", 5000},
                 {"10000", 10000}, {"20000", 10000}, {" 42", 42}, {"$100", 256}};
    std::int32_t last = VecImage.LastIndex;
    for (const auto& c : cases) {
        Record(c.text);
        ASSERT_EQ(VecImage.LastIndex, last + 1) << c.text;
        last = VecImage.LastIndex;
        const TDrawCommand& record = VecImage.Commands.back();
        EXPECT_EQ(record.Letter, CmdDelay) << c.text;
        EXPECT_EQ(RecordX(record), c.ms) << c.text;
        EXPECT_FALSE(form->PanelDelay->isVisible()) << c.text;
    }
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(DelayPanelTest, BadTextOrCloseRecordNothing) {
    const std::vector<TDrawCommand> before = VecImage.Commands;
    Record("1,5");
    ASSERT_EQ(dialogs.Errors.size(), 1u);
    EXPECT_EQ(dialogs.Errors[0], "'1,5' is not a valid integer value.");
    EXPECT_TRUE(form->PanelDelay->isVisible());
    EXPECT_EQ(form->EditDelay->text(), "1,5"); // kept for the user to correct

    QTest::mouseClick(form->ButtonDelayClose, Qt::LeftButton);
    EXPECT_FALSE(form->PanelDelay->isVisible());
    EXPECT_EQ(VecImage.LastIndex, 1);
    EXPECT_EQ(VecImage.Commands.size(), before.size());
}

TEST_F(DelayPanelTest, PanelsHaveTheirComponentsGeometryAndTabOrder) {
    struct Part {
        QWidget* widget;
        QRect geometry;
        const char* caption;
    };
    const Part cancel[] = {
        {form->ButtonBckwrd, {8, 8, 57, 25}, "<< Undo"},
        {form->ButtonCancelAccept, {72, 8, 57, 25}, "Accept"},
        {form->ButtonFrwrd, {136, 8, 59, 25}, "Redo >>"},
        {form->LabelUndoStep, {8, 40, 132, 16}, "Шаг отмены (1..2048):"},
        {form->EditUndoStep, {144, 40, 49, 21}, "256"},
    };
    const Part delay[] = {
        {form->LabelDelay, {8, 8, 68, 16}, "Delay (ms):"},
        {form->EditDelay, {80, 8, 57, 21}, "5000"},
        {form->ButtonDelay, {144, 8, 25, 25}, "Ok"},
        {form->ButtonDelayClose, {176, 8, 19, 17}, "X"},
    };
    auto check = [](QWidget* panel, QSize size, const auto& parts) {
        EXPECT_EQ(panel->size(), size);
        EXPECT_TRUE(panel->isHidden());
        for (const Part& part : parts) {
            const std::string name = part.widget->objectName().toStdString();
            EXPECT_EQ(part.widget->parentWidget(), panel) << name;
            EXPECT_EQ(part.widget->geometry(), part.geometry) << name;
            QString text;
            if (auto* button = qobject_cast<QPushButton*>(part.widget)) {
                text = button->text();
            } else if (auto* edit = qobject_cast<QLineEdit*>(part.widget)) {
                text = edit->text();
            } else if (auto* label = qobject_cast<QLabel*>(part.widget)) {
                text = label->text();
                EXPECT_EQ(label->font().family(), "MS Sans Serif") << name;
                EXPECT_EQ(label->font().pixelSize(), 13) << name;
                // Narrowed where a substitute face is wider, never cut off.
                EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(text), label->width())
                    << name;
            }
            EXPECT_EQ(text.toStdString(), part.caption) << name;
        }
    };
    check(form->PanelCancel, {201, 65}, cancel);
    check(form->PanelDelay, {201, 41}, delay);
    EXPECT_TRUE(form->ButtonDelayClose->font().bold());
    EXPECT_EQ(form->ButtonDelayClose->font().pixelSize(), 11);

    // Tab goes through the focusable components in their tab order.
    auto tabOrder = [](QWidget* first, int count) {
        std::vector<std::string> names;
        QWidget* w = first;
        while (static_cast<int>(names.size()) < count) {
            if (w->focusPolicy() & Qt::TabFocus) {
                names.push_back(w->objectName().toStdString());
            }
            w = w->nextInFocusChain();
        }
        return names;
    };
    EXPECT_EQ(tabOrder(form->ButtonBckwrd, 4),
              (std::vector<std::string>{"ButtonBckwrd", "ButtonFrwrd", "ButtonCancelAccept",
                                        "EditUndoStep"}));
    EXPECT_EQ(tabOrder(form->EditDelay, 3),
              (std::vector<std::string>{"EditDelay", "ButtonDelay", "ButtonDelayClose"}));
}

TEST_F(DelayPanelTest, ToolsOpenAtThePointerAndPanelsStayAbovePickers) {
    PointerX = 150;
    PointerY = 120;
    form->MMPanelDelay->trigger();
    form->MMPenColor->trigger();
    EXPECT_EQ(form->PanelDelay->pos(), QPoint(150, 120));
    EXPECT_EQ(form->ImagePenColor->pos(), QPoint(150, 120));
    // The picker opened later, yet the panel lies above it.
    const QWidget* top = form->childAt(QPoint(160, 125));
    ASSERT_NE(top, nullptr);
    EXPECT_TRUE(top == form->PanelDelay || top->parentWidget() == form->PanelDelay);

    // A right press on a panel or picker opens no menu.
    for (QWidget* target :
         {static_cast<QWidget*>(form->ButtonDelay), static_cast<QWidget*>(form->PanelDelay),
          static_cast<QWidget*>(form->ImagePenColor)}) {
        QTest::mousePress(target, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(target, Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_FALSE(form->PopupMainMenu->isVisible()) << target->objectName().toStdString();
    }
}
