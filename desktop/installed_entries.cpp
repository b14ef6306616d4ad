// The desktop entries launchers see: whether an installed one already opens drawings with a
// program.
#include "desktop/installed_entries.h"

#include "desktop/desktop_entry.h"
#include "desktop/xdg_files.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace vellograph {
namespace {

namespace fs = std::filesystem;

struct EntryKeys {
    std::string type, exec, mimeTypes;
    bool hidden = false;
};

// The keys of the main group that say what an entry runs and for which types.
EntryKeys ReadEntryKeys(const std::string& text) {
    EntryKeys keys;
    std::istringstream lines(text);
    bool mainGroup = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with('[')) {
            mainGroup = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!mainGroup || eq == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, eq);
        while (!key.empty() && key.back() == ' ') {
            key.pop_back();
        }
        std::string value = line.substr(eq + 1);
        value.erase(0, value.find_first_not_of(' '));
        if (key == "Type") {
            keys.type = value;
        } else if (key == "Exec") {
            keys.exec = value;
        } else if (key == "MimeType") {
            keys.mimeTypes = value;
        } else if (key == "Hidden") {
            keys.hidden = value == "true";
        }
    }
    return keys;
}

bool ListsType(const std::string& list, std::string_view mimeType) {
    std::istringstream types(list);
    for (std::string type; std::getline(types, type, ';');) {
        if (type == mimeType) {
            return true;
        }
    }
    return false;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return !a.empty() && !b.empty() && stat(a.c_str(), &first) == 0 &&
           stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

} // namespace

std::vector<std::string> XdgDataDirs() {
    const char* value = std::getenv("XDG_DATA_DIRS");
    std::vector<std::string> dirs;
    std::istringstream list(value && *value ? value : "/usr/local/share:/usr/share");
    for (std::string dir; std::getline(list, dir, ':');) {
        if (dir.starts_with('/')) {
            dirs.push_back(dir);
        }
    }
    return dirs;
}

namespace {

// Calls `visit(id, keys)` for each application entry launchers see, in
// their order, until it returns true; a desktop ID found earlier shadows the
// same ID further on, as in launchers.
template <typename Visit> bool AnyEntry(const std::string& ownEntry, Visit visit) {
    std::vector<std::string> dataDirs = XdgDataDirs();
    if (const std::string home = XdgDataHome(); !home.empty()) {
        dataDirs.insert(dataDirs.begin(), home);
    }
    std::set<std::string> seen;
    for (const std::string& data : dataDirs) {
        const fs::path applications = fs::path(data) / "applications";
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(applications, error);
             !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
            const fs::path& path = it->path();
            if (path.extension() != ".desktop" || !it->is_regular_file(error)) {
                continue;
            }
            std::string id = path.lexically_relative(applications).string();
            std::replace(id.begin(), id.end(), '/', '-');
            if (!seen.insert(id).second || SameFile(path.string(), ownEntry)) {
                continue;
            }
            const auto text = ReadWholeFile(path.string());
            const EntryKeys keys = text ? ReadEntryKeys(*text) : EntryKeys{};
            if (keys.type == "Application" && !keys.hidden && visit(id, keys)) {
                return true;
            }
        }
    }
    return false;
}

bool Runs(const EntryKeys& keys, const std::string& program) {
    std::string runs = ExecProgram(keys.exec);
    if (runs.find('/') == std::string::npos) {
        runs = FindProgram(runs);
    }
    return SameFile(runs, program);
}

} // namespace

std::vector<std::string> InstalledEntriesRunning(const std::string& program,
                                                 std::string_view mimeType,
                                                 const std::string& ownEntry) {
    std::vector<std::string> ids;
    AnyEntry(ownEntry, [&](const std::string& id, const EntryKeys& keys) {
        if (ListsType(keys.mimeTypes, mimeType) && Runs(keys, program)) {
            ids.push_back(id);
        }
        return false; // every one of them
    });
    return ids;
}

bool InstalledEntryOf(const std::string& id, const std::string& program) {
    bool found = false;
    AnyEntry({}, [&](const std::string& entryId, const EntryKeys& keys) {
        if (entryId != id) {
            return false;
        }
        found = Runs(keys, program);
        return true; // the first entry of that ID is the one launchers take
    });
    return found;
}

} // namespace vellograph
