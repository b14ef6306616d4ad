// Small POSIX file helpers: an owning descriptor, transfer loops that survive
// signals and short reads or writes, and the file size limit as a write error.
#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>

namespace vellograph::fileio {

// Owns one file descriptor and closes it when it goes out of scope.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept;
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release();
    void reset(int fd = -1);
    // Closes now and says whether the close succeeded: on some file systems a
    // write error only shows up here.
    bool close();

private:
    int fd_ = -1;
};

// Reads until size bytes arrived or the file ended. Returns the number of
// bytes read, or -1 on a read error.
std::int64_t ReadFull(int fd, void* buffer, std::size_t size);

// Writes all size bytes; false on any error (disk full, file size limit, ...).
bool WriteAll(int fd, const void* buffer, std::size_t size);

// A write past the file size limit raises SIGXFSZ, which by default kills
// the process; while this guard lives, such a write fails with EFBIG instead,
// as one to a full disk fails with ENOSPC.
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

} // namespace vellograph::fileio
