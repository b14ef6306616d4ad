// The desktop side of the file-type association: the change notification and the program's path.
#pragma once

#include <string>

namespace vellograph {

// Tells the desktop that file associations changed. On Linux this brings the
// desktop in line with the per-user registry store: while it holds the
// registration, a MIME package for the drawing type, a desktop entry that
// opens it and their icons are in $XDG_DATA_HOME, otherwise they are gone;
// then the MIME and desktop databases there are refreshed. Throws UserError
// when a file of the registration cannot be written.
void NotifyAssociationsChanged();

// The full path of the running executable; empty when the system cannot tell.
std::string RunningProgramPath();

} // namespace vellograph
