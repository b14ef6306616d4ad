// Descriptor ownership and full-transfer loops over read(2) and write(2).
#include "engine/io/file_io.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace vellograph::fileio {

namespace {
// Linux moves at most this much in one call anyway; asking for less keeps
// the count within ssize_t everywhere.
constexpr std::size_t MaxTransfer = 1u << 30;
} // namespace

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        reset(other.release());
    }
    return *this;
}

int UniqueFd::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void UniqueFd::reset(int fd) {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    fd_ = fd;
}

bool UniqueFd::close() {
    if (fd_ < 0) {
        return true;
    }
    // The descriptor is gone after close(2) even when it fails: never retry.
    const int result = ::close(release());
    return result == 0 || errno == EINTR;
}

std::int64_t ReadFull(int fd, void* buffer, std::size_t size) {
    auto* bytes = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, bytes + done, std::min(size - done, MaxTransfer));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

bool WriteAll(int fd, const void* buffer, std::size_t size) {
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, std::min(size - done, MaxTransfer));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return false; // no progress and no error: give up rather than spin
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace vellograph::fileio
