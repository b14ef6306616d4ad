// The desktop side of the file-type association: the change notification and the program's path.
#pragma once

#include <string>

namespace vellograph {

// Tells the desktop that file associations changed. On Linux this brings the
// desktop in line with the per-user registry store: while it holds the
// registration, a MIME package for the drawing type, a hidden desktop entry
// that opens it (none when an installed entry runs the same program) and
// their icons are in $XDG_DATA_HOME, otherwise they are gone. Throws
// UserError when a file of the registration cannot be written. The MIME and
// desktop databases there are then rebuilt in the background (see
// database_updates.h): this returns at once, and a failure after a
// registration is left for the window to take and show.
void NotifyAssociationsChanged();

// The full path of the running executable; empty when the system cannot tell.
std::string RunningProgramPath();

} // namespace vellograph
