// Writing a new file beside its target and renaming it into place.
#include "engine/io/replace_file.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vellograph {

namespace {

constexpr int MaxLinkDepth = 40; // as the kernel allows
// A name limit of 255 bytes is common; keep room for the suffix.
constexpr std::size_t MaxBaseInTempName = 200;
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
// need not exist yet (a link to a file still to be created). Returns 0 or
// the errno that stopped it.
int ResolveLinks(std::string& path) {
    for (int depth = 0; depth <= MaxLinkDepth; ++depth) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            return errno == ENOENT ? 0 : errno;
        }
        if (!S_ISLNK(st.st_mode)) {
            return 0;
        }
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) {
            return n < 0 ? errno : EAGAIN; // unreadable, or changed while we looked
        }
        target.resize(static_cast<std::size_t>(n));
        // A relative target is relative to the directory holding the link.
        path = target.front() == '/' ? target : DirectoryOf(path) + "/" + target;
    }
    return ELOOP;
}

// Why an existing target may not be replaced, or an empty text. The mode's
// write bits are tested as well as access(2), because root passes every
// access check and a read-only file must stay read-only for it too.
std::string RefusalOf(const std::string& target, std::optional<struct stat>& existing) {
    struct stat st {};
    if (::lstat(target.c_str(), &st) != 0) {
        return errno == ENOENT ? std::string() : std::strerror(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return std::strerror(EISDIR);
    }
    // Renaming over a FIFO or a device would replace the node itself.
    if (!S_ISREG(st.st_mode)) {
        return "Not a regular file";
    }
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return std::strerror(EACCES);
    }
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return std::strerror(errno);
    }
    existing = st;
    return {};
}

// A write past the file size limit raises SIGXFSZ, which by default kills
// the process; while writing, the write is to fail with EFBIG instead.
class FileSizeSignalIgnored {
public:
    FileSizeSignalIgnored() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        active_ = ::sigaction(SIGXFSZ, nullptr, &previous_) == 0 &&
                  previous_.sa_handler == SIG_DFL && ::sigaction(SIGXFSZ, &ignore, nullptr) == 0;
    }
    ~FileSizeSignalIgnored() {
        if (active_) {
            ::sigaction(SIGXFSZ, &previous_, nullptr);
        }
    }
    FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
    FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

private:
    struct sigaction previous_ {};
    bool active_ = false;
};

// Removes the hidden new files beside the target that writers of it left
// when their process died mid-write (".name.PID.N.tmp" of a PID no longer
// running); those of running processes, this one included, are theirs.
void RemoveLeftovers(const std::string& dir, const std::string& base) {
    const std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(dir.c_str()), ::closedir);
    if (!folder) {
        return;
    }
    const std::string prefix = "." + base + ".";
    std::vector<std::string> dead;
    while (const dirent* entry = ::readdir(folder.get())) {
        const std::string name = entry->d_name;
        if (name.size() <= prefix.size() + 4 || name.compare(0, prefix.size(), prefix) != 0 ||
            name.compare(name.size() - 4, 4, ".tmp") != 0) {
            continue;
        }
        // PID "." counter, both decimal.
        const std::string middle = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        const auto dot = middle.find('.');
        if (dot == 0 || dot == std::string::npos || dot + 1 == middle.size() ||
            middle.find_first_not_of("0123456789.") != std::string::npos ||
            middle.find('.', dot + 1) != std::string::npos || dot > 9) {
            continue;
        }
        const auto pid = static_cast<pid_t>(std::stol(middle.substr(0, dot)));
        if (pid > 0 && ::kill(pid, 0) != 0 && errno == ESRCH) {
            dead.push_back(dir + "/" + name);
        }
    }
    for (const std::string& path : dead) {
        ::unlink(path.c_str());
    }
}

} // namespace

TReplaceFile::TReplaceFile(const std::string& target) : target_(target) {
    if (target_.empty()) {
        fail(std::strerror(ENOENT));
        return;
    }
    if (const int error = ResolveLinks(target_)) {
        fail(std::strerror(error));
        return;
    }
    const std::string base = BaseOf(target_);
    std::optional<struct stat> existing;
    const std::string refusal = base.empty() ? std::strerror(EISDIR) : RefusalOf(target_, existing);
    if (!refusal.empty()) {
        fail(refusal);
        return;
    }
    // The leading dot keeps the new file out of file dialogs while it exists.
    static unsigned counter = 0;
    const std::string dir = DirectoryOf(target_);
    RemoveLeftovers(dir, base.substr(0, MaxBaseInTempName));
    const std::string stem = dir + (dir == "/" ? "." : "/.") + base.substr(0, MaxBaseInTempName) +
                             "." + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < MaxTempAttempts && !fd_; ++attempt) {
        temp_ = stem + std::to_string(counter++) + ".tmp";
        fd_.reset(::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd_ && errno != EEXIST) {
            break;
        }
    }
    if (!fd_) {
        temp_.clear(); // nothing of ours to remove
        failWithErrno();
        return;
    }
    if (existing) {
        if (::fchmod(fd_.get(), existing->st_mode & 07777) != 0) {
            failWithErrno();
            return;
        }
        // Keep the owner when replacing someone else's file as root; where
        // that is not allowed the file simply becomes the writer's.
        if (existing->st_uid != ::geteuid() || existing->st_gid != ::getegid()) {
            (void)!::fchown(fd_.get(), existing->st_uid, existing->st_gid);
        }
    }
}

TReplaceFile::~TReplaceFile() {
    if (!committed_) {
        discard();
    }
}

bool TReplaceFile::write(const void* data, std::size_t size) {
    if (!ok()) {
        return false;
    }
    const FileSizeSignalIgnored guard;
    errno = 0;
    if (!fileio::WriteAll(fd_.get(), data, size)) {
        if (errno == 0) {
            errno = EIO; // no progress and no error
        }
        failWithErrno();
    }
    return ok();
}

bool TReplaceFile::commit() {
    return flush() && replace() && syncDirectory();
}

bool TReplaceFile::flush() {
    if (!ok() || flushed_) {
        return ok();
    }
    if (::fsync(fd_.get()) != 0 || !fd_.close()) {
        failWithErrno();
        return false;
    }
    flushed_ = true;
    return true;
}

bool TReplaceFile::replace() {
    if (!flush() || committed_) {
        return ok();
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        failWithErrno();
        return false;
    }
    committed_ = true;
    temp_.clear();
    return true;
}

bool TReplaceFile::syncDirectory() {
    if (!ok() || !committed_) {
        return ok();
    }
    // A folder that cannot be opened (write and search rights only) cannot be
    // synced, and file systems that cannot sync a directory say so with
    // EINVAL; neither is a failure of ours.
    const fileio::UniqueFd dir(
        ::open(DirectoryOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir && ::fsync(dir.get()) != 0 && errno != EINVAL && errno != EROFS) {
        failWithErrno();
    }
    return ok();
}

void TReplaceFile::fail(const std::string& reason) {
    if (ok()) {
        reason_ = reason.empty() ? std::string("Unknown error") : reason;
    }
    discard();
}

void TReplaceFile::failWithErrno() {
    fail(std::strerror(errno));
}

void TReplaceFile::discard() {
    fd_.reset();
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

TFileResult ReplaceFileContents(const std::string& target, std::string_view bytes) {
    TReplaceFile out(target);
    out.write(bytes.data(), bytes.size());
    out.commit();
    return out.result();
}

} // namespace vellograph
