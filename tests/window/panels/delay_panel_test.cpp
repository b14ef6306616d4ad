// The delay panel's records, and the layout of both small panels.
#include "tests/support/form_fixture.h"
#include "window/panels/panel_parts.h"
#include "window/pickers/canvas_image.h"
#include "window/platform/qt_dialogs.h"

#include <QCheckBox>
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
    const TRecords before = VecImage.Commands;
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

    // Whatever opened last, every component keeps its place in the design's stacking.
    for (QAction* item : {form->MMPanelRotNScal, form->MMTranspForm, form->MMPanelDelay,
                          form->MMPanelCancel, form->MMPenColor, form->MMPenWidth}) {
        item->trigger();
        const std::vector<QObject*> design = {
            form->ImageScreen, form->LabelInform, form->ImagePenWidth,   form->ImagePenColor,
            form->PanelCancel, form->PanelDelay,  form->PanelTranspForm, form->PanelRotNScal};
        std::vector<QObject*> stacking; // bottom to top
        for (QObject* child : form->children()) {
            if (std::find(design.begin(), design.end(), child) != design.end()) {
                stacking.push_back(child);
            }
        }
        EXPECT_EQ(stacking, design) << item->objectName().toStdString();
    }
    form->ButtonRNScalCancel->click();

    // A right press on a panel or picker opens no menu.
    for (QWidget* target :
         {static_cast<QWidget*>(form->ButtonDelay), static_cast<QWidget*>(form->PanelDelay),
          static_cast<QWidget*>(form->ImagePenColor)}) {
        QTest::mousePress(target, Qt::RightButton, {}, QPoint(5, 5));
        QTest::mouseRelease(target, Qt::RightButton, {}, QPoint(5, 5));
        EXPECT_FALSE(form->PopupMainMenu->isVisible()) << target->objectName().toStdString();
    }
}

namespace {

// Every letter of the caption inside its control, clear of the style's frame.
void ExpectCaptionFits(const QWidget& control) {
    const std::string name =
        control.objectName().toStdString() + " in " + control.font().family().toStdString();
    EXPECT_LE(CaptionWidth(control), control.width()) << name;
    EXPECT_LE(QFontMetrics(control.font()).height(), control.height()) << name;
}

} // namespace

TEST_F(DelayPanelTest, EveryCaptionFitsItsControlAtTheDesignSize) {
    // The widest caption each control shows.
    form->MMTranspForm->trigger();
    form->AutosaveTicks = TMainForm::AutosavePeriod - 6;
    form->Timer1Timer(); // "Автосохранение через 5"
    std::vector<const QWidget*> controls;
    for (QWidget* panel :
         std::initializer_list<QWidget*>{form->PanelCancel, form->PanelDelay, form->PanelTranspForm,
                                         form->PanelRotNScal, static_cast<QWidget*>(form.get())}) {
        for (const QWidget* control : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (qobject_cast<const QAbstractButton*>(control) ||
                qobject_cast<const QLabel*>(control)) {
                controls.push_back(control);
            }
        }
    }
    EXPECT_EQ(controls.size(), 4u + 3u + 2u + 4u + 1u);
    for (const QWidget* control : controls) {
        ExpectCaptionFits(*control);
    }

    // The boxes, with the longest texts the program shows in them.
    const struct {
        TBoxKind kind;
        const char* text;
        const char* title;
    } boxes[] = {
        {TBoxKind::Message, "Размер сохраненного: 2147483647 байт", "Vellograph"},
        {TBoxKind::Message, "Загружено)", "Vellograph"}, // the shortest
        {TBoxKind::Message,
         "Vellograph v3.1.1\nWritten by the Vellograph developers\nhttps://vellograph.example.org",
         "Vellograph"},
        {TBoxKind::Confirmation,
         "Действительно хотите ПЕРЕСТАТЬ открывать этой программой файлы *.VLGF ?", "Confirm"},
        {TBoxKind::Error, "Failed to set data for 'Vellograph3.vlgf'.", "Vellograph"},
    };
    for (const auto& b : boxes) {
        const auto box = MakeBox(form.get(), b.kind, b.text);
        box->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(box->windowTitle().toStdString(), b.title);
        // The whole title in an 11-point bold title font, with a close button beside it.
        QFont titleFont;
        titleFont.setPointSize(11);
        titleFont.setBold(true);
        EXPECT_GE(box->width(), QFontMetrics(titleFont).horizontalAdvance(b.title) + 2 * 48)
            << b.text;
        for (const QWidget* control : box->findChildren<QWidget*>()) {
            const auto* label = qobject_cast<const QLabel*>(control);
            if ((qobject_cast<const QPushButton*>(control) ||
                 (label && !label->text().isEmpty())) &&
                control->isVisible()) {
                SCOPED_TRACE(b.text);
                ExpectCaptionFits(*control);
            }
        }
    }
}
