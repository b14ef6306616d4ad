// Finding the bytes behind a path that Qt decoded with replacement characters.
#include "window/platform/path_bytes.h"

#include <QFile>

#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace vellograph {

namespace {

// The one entry of the folder that Qt shows as `shown`, or nothing.
std::string EntryShownAs(const std::string& folder, const QString& shown) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) {
        return {};
    }
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (QFile::decodeName(entry->d_name) == shown) {
            matches.emplace_back(entry->d_name);
        }
    }
    return matches.size() == 1 ? matches.front() : std::string();
}

} // namespace

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string PathBytes(const QString& path) {
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
        if (part.contains(QChar(QChar::ReplacementCharacter)) && !PathExists(bytes + name)) {
            if (std::string found = EntryShownAs(folder, part); !found.empty()) {
                name = std::move(found);
            }
        }
        bytes += name;
    }
    return bytes;
}

} // namespace vellograph
