// Builders for the track bars and buttons the panels place at their design geometry.
#pragma once

#include <QFont>
#include <QPushButton>
#include <QRect>
#include <QSlider>
#include <QString>
#include <QWidget>

namespace vellograph {

// A horizontal track bar with a tick at every position. Its range and
// position are set before any handler is connected, so building it runs none.
inline QSlider* NewTrackBar(QWidget* parent, const char* name, QRect geometry, int minimum,
                            int maximum, int position) {
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setGeometry(geometry);
    bar->setRange(minimum, maximum);
    bar->setValue(position);
    bar->setSingleStep(1);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(1);
    return bar;
}

inline QPushButton* NewButton(QWidget* parent, const char* name, QRect geometry,
                              const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

// The design widths suit a narrower font than many desktops use: a caption
// that would be cut off gets a smaller font instead, down to 6 points. Only
// for controls whose size hint is their caption's (no minimum width).
inline void ShrinkFontToFit(QWidget* control) {
    QFont font = control->font();
    while (control->sizeHint().width() > control->width() && font.pointSizeF() > 6) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
        control->setFont(font);
    }
}

} // namespace vellograph
