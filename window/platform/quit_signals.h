// SIGTERM, SIGINT and SIGHUP as a quit of the window program.
#pragma once

#include <functional>

namespace vellograph {

// From now on each of the three signals runs quit on the event loop's
// thread, at its next pump: a write in progress ends cleanly there rather
// than dying half-way with its temporary file left behind. Call once, with
// the application constructed.
void QuitOnSignals(std::function<void()> quit);

} // namespace vellograph
