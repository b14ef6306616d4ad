// The display check that lets the program say why it cannot start.
#include "window/platform/display_check.h"

#include <cstdlib>

#ifdef VELLOGRAPH_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace vellograph {

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

std::string DisplayProblem() {
    if (IsSet("QT_QPA_PLATFORM") || IsSet("WAYLAND_DISPLAY")) {
        return {};
    }
    if (!IsSet("DISPLAY")) {
        return "cannot open the display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    }
#ifdef VELLOGRAPH_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed) {
        return std::string("cannot open the display \"") + std::getenv("DISPLAY") + "\"";
    }
#endif
    return {};
}

} // namespace vellograph
