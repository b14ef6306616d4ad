// The desktop entries launchers see: whether an installed one already opens drawings with a
// program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellograph {

// $XDG_DATA_DIRS as absolute folders, or the default /usr/local/share and /usr/share.
std::vector<std::string> XdgDataDirs();

// The desktop IDs of the entries other than `ownEntry` that offer `program`
// for the type: application entries in $XDG_DATA_HOME/applications or a
// data folder's, each the first of its desktop ID there, not hidden, listing
// `mimeType`, whose Exec line runs the same file as `program` (by whatever
// path, name on $PATH or link it names it).
std::vector<std::string> InstalledEntriesRunning(const std::string& program,
                                                 std::string_view mimeType,
                                                 const std::string& ownEntry);

// Whether the entry launchers find for the desktop ID `id` (say
// "org.example.App.desktop") is an application entry, not hidden, that
// runs the same file as `program`.
bool InstalledEntryOf(const std::string& id, const std::string& program);

} // namespace vellograph
