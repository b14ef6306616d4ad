// The panels' components at their design geometry.
#include "window/panels/panel_parts.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>

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
    label->setFont(font);
    label->setGeometry(geometry);
    return label;
}

QSlider* MakeTrackBar(QWidget* panel, const char* name, QRect geometry, int minimum, int maximum,
                      int position) {
    auto* bar = new QSlider(Qt::Horizontal, panel);
    bar->setObjectName(name);
    bar->setGeometry(geometry);
    bar->setRange(minimum, maximum);
    bar->setValue(position);
    bar->setSingleStep(1);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    return bar;
}

int CaptionWidth(const QWidget& control) {
    const QFontMetrics metrics(control.font());
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        // A button's own size hint has a minimum width; its caption needs
        // only the margin and the frame.
        const QStyle* style = control.style();
        return metrics.size(Qt::TextShowMnemonic, button->text()).width() +
               style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &control) +
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &control);
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(&control)) {
        return box->sizeHint().width();
    }
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        // The bounding rectangle: whole pixels, as the letters are drawn.
        const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        return metrics.boundingRect(label->contentsRect(), flags, label->text()).width() +
               label->width() - label->contentsRect().width();
    }
    return 0;
}

void FitCaption(QWidget& control) {
    QFont font = control.font();
    for (int stretch = 99; stretch >= 70 && CaptionWidth(control) > control.width(); --stretch) {
        font.setStretch(stretch);
        control.setFont(font);
    }
    // Where the face cannot be narrowed (or not enough), smaller letters.
    const bool pixels = font.pixelSize() > 0;
    while (CaptionWidth(control) > control.width() &&
           (pixels ? font.pixelSize() > 8 : font.pointSizeF() > 6)) {
        if (pixels) {
            font.setPixelSize(font.pixelSize() - 1);
        } else {
            font.setPointSizeF(font.pointSizeF() - 0.5);
        }
        control.setFont(font);
    }
}

} // namespace vellograph
