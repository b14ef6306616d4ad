// Boxes as dialogs of their parent under GNOME's Wayland compositor.
#pragma once

#include <QWidget>

namespace vellograph {

// Mutter places a Wayland window that has a parent by its rule for ordinary
// windows (at the top-left of the free area) unless it is a dialog, which
// Qt's Wayland client has no way to say. Where the compositor offers GTK's
// shell protocol, this marks the window a modal dialog each time it is
// shown, before its first frame, and Mutter centres it over its parent.
// Elsewhere (other compositors, X11, no Wayland client here) it does nothing.
void ShowAsDialogOfParent(QWidget& window);

} // namespace vellograph
