// Paths between Qt's strings and the bytes the system knows files by.
#pragma once

#include <QString>

#include <string>

namespace vellograph {

// The bytes of the file that a path shown by Qt stands for. Qt shows bytes
// that are no UTF-8 as U+FFFD, and encoding the shown name gives other bytes
// back. Each part of the path that holds U+FFFD is therefore looked up among
// its folder's entries by the name Qt shows for them, a file whose name
// really holds U+FFFD among them; a part that no entry shows, or more than
// one, stays as encoded, and the second case sets *ambiguous.
std::string PathBytes(const QString& path, bool* ambiguous = nullptr);

// Something, a link included, is at path.
bool PathExists(const std::string& path);

} // namespace vellograph
