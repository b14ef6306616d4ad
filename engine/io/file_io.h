// POSIX file helpers: an owning descriptor, and read and write loops past EINTR and short counts.
#pragma once

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

} // namespace vellograph::fileio
