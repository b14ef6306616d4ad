// Writing a new file beside its target and renaming it into place.
#include "replace_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace vellograph {

namespace {

// The directory part with its slash ("" for a bare name) and the rest.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {"", path};
    }
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// A name limit of 255 bytes is common; keep room for the suffix.
constexpr std::size_t MaxBaseInTempName = 200;

} // namespace

TReplaceFile::TReplaceFile(std::string target) : target_(std::move(target)) {
    const auto [dir, base] = SplitPath(target_);
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (base.empty() || (exists && S_ISDIR(st.st_mode))) {
        fail(std::strerror(EISDIR));
        return;
    }
    // Renaming would replace a file the user made read-only; refuse as a
    // plain write would. The mode's write bits count as well, because root
    // passes every access check and a read-only file stays read-only for it.
    if (exists && ::access(target_.c_str(), W_OK) != 0) {
        failWithErrno();
        return;
    }
    if (exists && S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        fail(std::strerror(EACCES));
        return;
    }
    static unsigned counter = 0;
    const std::string stem =
        dir + "." + base.substr(0, MaxBaseInTempName) + "." + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = stem + std::to_string(counter++) + ".tmp";
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            break;
        }
    }
    if (fd_ < 0) {
        temp_.clear(); // nothing of ours to remove
        failWithErrno();
        return;
    }
    if (exists && S_ISREG(st.st_mode)) {
        (void)::fchmod(fd_, st.st_mode & 07777); // a replaced file keeps its mode
    }
}

TReplaceFile::~TReplaceFile() {
    if (!committed_) {
        discard();
    }
}

bool TReplaceFile::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (ok() && size > 0) {
        const ssize_t n = ::write(fd_, bytes, size);
        if (n < 0) {
            if (errno != EINTR) {
                failWithErrno();
            }
            continue;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
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

bool TReplaceFile::commit() {
    if (!ok() || committed_) {
        return ok() && committed_;
    }
    if (::fsync(fd_) != 0) {
        failWithErrno();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        failWithErrno();
        return false;
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        failWithErrno();
        return false;
    }
    committed_ = true;
    // Make the rename itself durable; a failure here loses nothing written.
    const std::string dir = SplitPath(target_).first;
    const int dirFd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        (void)::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void TReplaceFile::discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

} // namespace vellograph
