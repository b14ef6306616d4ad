// The user's choice of applications for a file type: the groups of $XDG_CONFIG_HOME/mimeapps.list.
#include "desktop/mime_apps.h"

#include "desktop/xdg_files.h"
#include "engine/io/replace_file.h"

#include <algorithm>
#include <cerrno>
#include <sstream>

namespace vellograph {
namespace {

constexpr char DefaultGroup[] = "[Default Applications]";
constexpr char AddedGroup[] = "[Added Associations]";
constexpr char RemovedGroup[] = "[Removed Associations]";

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsGroupLine(std::string_view line) {
    return line.starts_with('[');
}

// Neither empty nor a comment.
bool IsEntryLine(std::string_view line) {
    line = Trimmed(line);
    return !line.empty() && !line.starts_with('#');
}

// The IDs of a line "type=a.desktop;b.desktop;" when its key is the type.
bool ReadTypeLine(std::string_view line, std::string_view mimeType, std::vector<std::string>& ids) {
    const auto eq = line.find('=');
    if (eq == std::string_view::npos || Trimmed(line.substr(0, eq)) != mimeType) {
        return false;
    }
    std::istringstream list{std::string(Trimmed(line.substr(eq + 1)))};
    for (std::string id; std::getline(list, id, ';');) {
        if (const auto trimmed = Trimmed(id); !trimmed.empty()) {
            ids.emplace_back(trimmed);
        }
    }
    return true;
}

std::string TypeLine(std::string_view mimeType, const std::vector<std::string>& ids) {
    std::string line(mimeType);
    line += '=';
    for (const std::string& id : ids) {
        line += id + ';';
    }
    return line;
}

bool Contains(const std::vector<std::string>& ids, const std::string& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

} // namespace

std::string UserMimeAppsList() {
    const std::string config = XdgConfigHome();
    return config.empty() ? config : config + "/mimeapps.list";
}

bool ChangeMimeApps(const std::string& path, std::string_view mimeType,
                    const MimeAppsChange& change) {
    const auto text = ReadWholeFile(path);
    if (!text && errno != ENOENT) {
        return false;
    }
    std::vector<std::string> lines;
    std::istringstream in(text.value_or(""));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::vector<std::string> toHide;
    for (const std::string& id : change.hide) {
        if (!Contains(toHide, id)) {
            toHide.push_back(id);
        }
    }
    std::vector<std::string> edited; // groups whose lines this changed
    std::string group;
    std::size_t removedGroupEnd = lines.size() + 1; // after its last entry; none yet
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (IsGroupLine(lines[i])) {
            group = std::string(Trimmed(lines[i]));
            if (group == RemovedGroup) {
                removedGroupEnd = i + 1;
            }
            continue;
        }
        if (group == RemovedGroup && IsEntryLine(lines[i])) {
            removedGroupEnd = i + 1;
        }
        std::vector<std::string> ids;
        const bool removed = group == RemovedGroup;
        if ((!removed && group != DefaultGroup && group != AddedGroup) ||
            !ReadTypeLine(lines[i], mimeType, ids)) {
            continue;
        }
        const std::vector<std::string>& out = removed ? change.unhide : change.drop;
        std::vector<std::string> kept;
        for (const std::string& id : ids) {
            if (!Contains(out, id)) {
                kept.push_back(id);
            }
        }
        if (removed) {
            for (const std::string& id : toHide) {
                if (!Contains(kept, id)) {
                    kept.push_back(id);
                }
            }
            toHide.clear();
        }
        if (kept == ids) {
            continue;
        }
        edited.push_back(group);
        lines[i] = kept.empty() ? std::string() : TypeLine(mimeType, kept);
        if (kept.empty()) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i--));
            removedGroupEnd -= removed ? 1 : 0;
        }
    }
    if (!toHide.empty()) {
        if (removedGroupEnd > lines.size()) {
            if (!lines.empty() && IsEntryLine(lines.back())) {
                lines.emplace_back();
            }
            lines.emplace_back(RemovedGroup);
            removedGroupEnd = lines.size();
        }
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(removedGroupEnd),
                     TypeLine(mimeType, toHide));
        edited.emplace_back(RemovedGroup);
    }
    if (edited.empty()) {
        return true;
    }
    // A group this emptied goes with the blank lines before it.
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (!IsGroupLine(lines[i]) || !Contains(edited, std::string(Trimmed(lines[i])))) {
            continue;
        }
        std::size_t end = i + 1;
        while (end < lines.size() && !IsGroupLine(lines[end]) && !IsEntryLine(lines[end])) {
            ++end;
        }
        if (end < lines.size() && !IsGroupLine(lines[end])) {
            continue;
        }
        // The blank lines before the last group go with it; before any
        // other, they part it from the group before.
        std::size_t begin = i;
        while (end == lines.size() && begin > 0 && Trimmed(lines[begin - 1]).empty()) {
            --begin;
        }
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(begin),
                    lines.begin() + static_cast<std::ptrdiff_t>(end));
        i = begin;
    }
    std::string out;
    for (const std::string& line : lines) {
        out += line + '\n';
    }
    if (Trimmed(out).empty()) {
        return RemoveFileIfPresent(path);
    }
    const std::string folder = path.substr(0, path.find_last_of('/'));
    return MakeDirectories(folder) && ReplaceFileContents(path, out).ok;
}

} // namespace vellograph
