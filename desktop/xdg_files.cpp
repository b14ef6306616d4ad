// Files under the user's XDG data directory: locating it, reading, finding tools.
#include "desktop/xdg_files.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace vellograph {
namespace {

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string XdgDataHome() {
    // A relative value is invalid by the XDG rules and must be ignored.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
        return data;
    }
    const std::string home = HomeDirectory();
    return home.empty() ? home : home + "/.local/share";
}

std::string XdgConfigHome() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && config[0] == '/') {
        return config;
    }
    const std::string home = HomeDirectory();
    return home.empty() ? home : home + "/.config";
}

bool MakeDirectories(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
    }
    if (errno != ENOENT) {
        return false;
    }
    const std::string parent = ParentOf(path);
    if (parent != path && !MakeDirectories(parent)) {
        return false;
    }
    return mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int saved = errno;
            close(fd);
            errno = saved;
            return std::nullopt;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    close(fd);
    return data;
}

bool RemoveFileIfPresent(const std::string& path) {
    return unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string FindProgram(std::string_view name) {
    // The system folders come last, for sessions started with a bare $PATH.
    const char* pathVar = std::getenv("PATH");
    const std::string path = std::string(pathVar ? pathVar : "") + ":/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find(':', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        const std::string dir = path.substr(start, end - start);
        start = end + 1;
        // Only absolute folders: a relative one would depend on where we were started.
        if (dir.empty() || dir.front() != '/') {
            continue;
        }
        const std::string candidate = dir + "/" + std::string(name);
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return {};
}

} // namespace vellograph
