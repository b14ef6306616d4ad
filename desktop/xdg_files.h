// Files under the user's XDG data directory: locating it, reading, finding tools.
// Writes go through the engine's ReplaceFileContents, like every other file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellograph {

// $XDG_DATA_HOME when it is set to an absolute path, otherwise
// $HOME/.local/share; empty when not even a home directory is known.
std::string XdgDataHome();
// $XDG_CONFIG_HOME, or $HOME/.config, by the same rules.
std::string XdgConfigHome();

// Creates the directory and its missing parents; new ones get mode 0700, as
// the XDG base directory rules ask. True when it exists afterwards.
bool MakeDirectories(const std::string& path);

// The whole file; nullopt with errno set when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Removes a file or symbolic link; true also when there was none.
bool RemoveFileIfPresent(const std::string& path);

// The executable of that name on $PATH; empty when there is none.
std::string FindProgram(std::string_view name);

} // namespace vellograph
