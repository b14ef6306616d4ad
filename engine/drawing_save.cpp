// Saving drawing files: the new content goes to a temporary file beside the
// real target, reaches the disk, and only then is renamed over the target, so
// a failed save leaves the old file exactly as it was and readers never see a
// half-written one.
#include "drawing.h"
#include "file_io.h"
#include "host.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vellograph {

namespace {

constexpr int MaxLinkDepth = 40;               // as the kernel allows
constexpr std::size_t MaxTempBaseLength = 200; // keeps the temporary name within NAME_MAX
constexpr int MaxTempAttempts = 100;

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links to the path of the file they finally name, which
// need not exist yet (a link to a file still to be created).
std::optional<std::string> ResolveLinks(std::string path) {
    for (int depth = 0; depth <= MaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            return errno == ENOENT ? std::optional(path) : std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) {
            return path;
        }
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
            return std::nullopt; // unreadable, or changed while we looked
        }
        target.resize(static_cast<std::size_t>(n));
        // A relative target is relative to the directory holding the link.
        path = target.front() == '/' ? target : DirectoryOf(path) + "/" + target;
    }
    return std::nullopt;
}

// Creates a new, empty file with an unused name beside the target; the
// leading dot keeps it out of file dialogs while it exists.
fileio::UniqueFd CreateTemporary(const std::string& target, std::string& tempName) {
    static unsigned counter = 0;
    const std::string stem =
        DirectoryOf(target) + "/." + BaseOf(target).substr(0, MaxTempBaseLength) + ".";
    const auto seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < MaxTempAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "%06llx.tmp",
                      (seed ^ (static_cast<unsigned long long>(::getpid()) << 20) ^
                       (++counter * 2654435761ull)) &
                          0xFFFFFF);
        tempName = stem + suffix;
        // Mode 0666 lets the umask decide a new file's permissions, as for
        // any file the user creates.
        fileio::UniqueFd fd(
            ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd || errno != EEXIST) {
            return fd;
        }
    }
    return {};
}

// An existing target must be a regular file that may be written: the mode's
// write bits are tested as well, because root passes every access check and
// a read-only drawing must stay read-only for it too.
bool TargetWritable(const std::string& target, std::optional<struct stat>& existing) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return false;
    }
    existing = st;
    return true;
}

// Makes the rename itself durable. File systems that cannot sync a
// directory say so with EINVAL; that is no failure of ours.
bool SyncDirectory(const std::string& directory) {
    fileio::UniqueFd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) {
        return true; // a write-only folder cannot be opened to sync; the rename stands
    }
    return ::fsync(dir.get()) == 0 || errno == EINVAL || errno == EROFS;
}

bool WriteContent(int fd, const TAVecImage& drawing, std::size_t recordCount) {
    return fileio::WriteAll(fd, drawing.Header.data(), HeaderSize) &&
           fileio::WriteAll(fd, drawing.Commands.data(), recordCount * sizeof(TDrawCommand)) &&
           ::fsync(fd) == 0;
}

bool Save(const std::string& fileName, const TAVecImage& drawing) {
    if (fileName.empty() || drawing.LastIndex < -1 ||
        static_cast<std::size_t>(drawing.LastIndex + 1) > drawing.Commands.size()) {
        return false;
    }
    const auto recordCount = static_cast<std::size_t>(drawing.LastIndex + 1);
    const std::optional<std::string> target = ResolveLinks(fileName);
    std::optional<struct stat> existing;
    if (!target || !TargetWritable(*target, existing)) {
        return false;
    }
    std::string tempName;
    fileio::UniqueFd fd = CreateTemporary(*target, tempName);
    if (!fd) {
        return false;
    }
    bool ok = true;
    if (existing) {
        ok = ::fchmod(fd.get(), existing->st_mode & 07777) == 0;
        // Keep the owner when saving someone else's file as root; where that
        // is not allowed the file simply becomes the saver's.
        if (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) {
            (void)!::fchown(fd.get(), existing->st_uid, existing->st_gid);
        }
    }
    {
        const fileio::FileSizeSignalIgnored guard;
        ok = ok && WriteContent(fd.get(), drawing, recordCount);
    }
    ok = fd.close() && ok;
    if (!ok || ::rename(tempName.c_str(), target->c_str()) != 0) {
        ::unlink(tempName.c_str());
        return false;
    }
    return SyncDirectory(DirectoryOf(*target));
}

} // namespace

void SaveDrawing(const std::string& fileName, const TAVecImage& drawing, std::int32_t& savedSize) {
    if (!Save(fileName, drawing)) {
        CurrentHost().ShowMessage(MsgSaveFailed);
        return;
    }
    const std::int64_t size =
        HeaderSize + sizeof(TDrawCommand) * (static_cast<std::int64_t>(drawing.LastIndex) + 1);
    // A drawing past 2 GiB is saved whole; its size only saturates here.
    savedSize = static_cast<std::int32_t>(
        std::min<std::int64_t>(size, std::numeric_limits<std::int32_t>::max()));
}

} // namespace vellograph
