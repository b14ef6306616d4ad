// Finding the bytes behind a path that Qt decoded with replacement characters.
#include "window/platform/path_bytes.h"

#include <QFile>

#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace vellograph {

namespace {

// The entries of the folder that Qt shows as `shown`.
std::vector<std::string> EntriesShownAs(const std::string& folder, const QString& shown) {
    std::vector<std::string> matches;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) {
        return matches;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (QFile::decodeName(entry->d_name) == shown) {
            matches.emplace_back(entry->d_name);
        }
    }
    return matches;
}

} // namespace

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string PathBytes(const QString& path, bool* ambiguous) {
    if (!path.contains(QChar(QChar::ReplacementCharacter))) {
        return QFile::encodeName(path).toStdString();
    }
    const bool absolute = path.startsWith('/');
    std::string bytes = absolute ? "/" : "";
    for (const QString& part : path.split('/', Qt::SkipEmptyParts)) {
        const std::string folder = bytes.empty() ? "." : bytes;
        if (!bytes.empty() && bytes.back() != '/') {
            bytes += '/';
        }
        std::string name = QFile::encodeName(part).toStdString();
        // A file really named with U+FFFD is shown alike too: it is one of
        // the look-alikes, not a reason to stop looking.
        if (part.contains(QChar(QChar::ReplacementCharacter))) {
            std::vector<std::string> found = EntriesShownAs(folder, part);
            if (found.size() == 1) {
                name = std::move(found.front());
            } else if (found.size() > 1 && ambiguous) {
                *ambiguous = true;
            }
        }
        bytes += name;
    }
    return bytes;
}

} // namespace vellograph
