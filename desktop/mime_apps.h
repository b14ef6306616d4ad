// The user's choice of applications for a file type: the groups of $XDG_CONFIG_HOME/mimeapps.list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellograph {

// $XDG_CONFIG_HOME/mimeapps.list; empty when no home folder is known.
std::string UserMimeAppsList();

// Desktop IDs to move in the type's lines of the three groups that launchers
// honour: [Removed Associations] hides an entry from the type even though the
// entry itself lists it.
struct MimeAppsChange {
    std::vector<std::string> hide;   // added to [Removed Associations]
    std::vector<std::string> unhide; // taken out of [Removed Associations]
    std::vector<std::string> drop;   // taken out of [Default Applications], [Added Associations]
};

// Edits only the type's lines of those groups and keeps every other line as
// it was. A line left with no ID goes, and so does a group this left empty,
// and the file when nothing at all is left in it. The file is replaced
// atomically, and only when something changed. False when it could not be
// read or written: it is then as it was.
bool ChangeMimeApps(const std::string& path, std::string_view mimeType,
                    const MimeAppsChange& change);

} // namespace vellograph
