// The window's views, live for the whole run and never saved.
#include "window/form/views.h"

namespace vellograph {

TViewParams LiveView = DefaultView;
TViewParams PreviewView = DefaultView;
TViewParams DrawnFrameView = DefaultView;

} // namespace vellograph
