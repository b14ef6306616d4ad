// Building blocks of the small panels: components placed by their design
// geometry, in the window's font unless they name their own.
#pragma once

#include <QRect>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vellograph {

// A raised panel, hidden until its menu command shows it.
QFrame* MakePanel(QWidget* parent, const char* name, QRect geometry);
QPushButton* MakeButton(QWidget* panel, const char* name, const char* caption, QRect geometry);
QLineEdit* MakeEdit(QWidget* panel, const char* name, const char* text, QRect geometry);
// Labels carry the panels' 13-pixel "MS Sans Serif".
QLabel* MakeLabel(QWidget* panel, const char* name, const char* caption, QRect geometry);

} // namespace vellograph
