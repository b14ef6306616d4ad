// Building blocks of the small panels: components placed by their design
// geometry, in the window's font unless they name their own.
#pragma once

#include <QRect>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QWidget;

namespace vellograph {

// A raised panel, hidden until its menu command shows it.
QFrame* MakePanel(QWidget* parent, const char* name, QRect geometry);
QPushButton* MakeButton(QWidget* panel, const char* name, const char* caption, QRect geometry);
QLineEdit* MakeEdit(QWidget* panel, const char* name, const char* text, QRect geometry);
// Labels carry the panels' 13-pixel "MS Sans Serif".
QLabel* MakeLabel(QWidget* panel, const char* name, const char* caption, QRect geometry);
// A horizontal track bar with a tick at every position. Its range and
// position are set before any handler is connected, so building it runs none.
QSlider* MakeTrackBar(QWidget* panel, const char* name, QRect geometry, int minimum, int maximum,
                      int position);

// The width a caption needs in its control (a button, check box or label),
// clear of the frame and margins the style draws.
int CaptionWidth(const QWidget& control);
// The design sizes suit a narrower face than the "MS Sans Serif" stand-ins
// of most desktops: a caption that would be clipped gets narrower letters,
// then smaller ones, until it fits.
void FitCaption(QWidget& control);

} // namespace vellograph
