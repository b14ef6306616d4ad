// The panels' components, and showing a panel or picker at the pointer.
#include "panel_parts.h"

#include "canvas_image.h"
#include "image_screen.h"
#include "main_form.h"

#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vellograph {

QFrame* MakePanel(QWidget* parent, const char* name, QRect geometry) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
    panel->setGeometry(geometry);
    panel->hide();
    return panel;
}

QPushButton* MakeButton(QWidget* panel, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(QString::fromUtf8(caption), panel);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QLineEdit* MakeEdit(QWidget* panel, const char* name, const char* text, QRect geometry) {
    auto* edit = new QLineEdit(QString::fromUtf8(text), panel);
    edit->setObjectName(name);
    edit->setGeometry(geometry);
    return edit;
}

QLabel* MakeLabel(QWidget* panel, const char* name, const char* caption, QRect geometry) {
    auto* label = new QLabel(QString::fromUtf8(caption), panel);
    label->setObjectName(name);
    QFont font("MS Sans Serif");
    font.setPixelSize(13);
    // Where that face is missing its substitute is often wider, and the
    // caption would be cut off: narrow the letters just enough to fit.
    for (int stretch = 99;
         stretch >= 50 && QFontMetrics(font).horizontalAdvance(label->text()) > geometry.width();
         --stretch) {
        font.setStretch(stretch);
    }
    label->setFont(font);
    label->setGeometry(geometry);
    return label;
}

void TMainForm::ShowTool(QWidget* tool) {
    PlaceAtPointer(tool);
    // PlaceAtPointer brings the tool to the front; put every component back
    // in the design's order, so that a picker never covers an open panel.
    QWidget* const order[] = {ImageScreen, LabelInform, ImagePenWidth,   ImagePenColor,
                              PanelCancel, PanelDelay,  PanelTranspForm, PanelRotNScal};
    for (QWidget* component : order) {
        if (component) {
            component->raise();
        }
    }
}

} // namespace vellograph
