// Tells, before Qt is started, whether a display can be opened at all.
#pragma once

#include <string>

namespace vellograph {

// Empty when the program can go ahead; otherwise one line for the user. Qt
// itself would abort with a core dump when it cannot connect, so the check
// runs before the QApplication exists. An explicit QT_QPA_PLATFORM and a
// Wayland display are taken on trust; an X display is tried.
std::string DisplayProblem();

} // namespace vellograph
