// Writing a new file beside its target and renaming it into place.
#pragma once

#include <cstddef>
#include <string>

namespace vellograph {

// A failed or interrupted write must never leave a half-written file under
// the target's name, nor damage the file that was there: everything goes to a
// new file in the same directory, which replaces the target only once its
// data reached the disk. Failures carry the system's reason text.
class TReplaceFile {
public:
    explicit TReplaceFile(std::string target);
    // Removes the new file unless commit() succeeded.
    ~TReplaceFile();
    TReplaceFile(const TReplaceFile&) = delete;
    TReplaceFile& operator=(const TReplaceFile&) = delete;

    // False once anything failed; reason() then says why.
    bool ok() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }

    // The new file's descriptor, for writers that want one; -1 after a failure.
    int fd() const { return fd_; }
    // Writes every byte or fails.
    bool write(const void* data, std::size_t size);
    // Records the failure of a writer that used fd() itself.
    void fail(const std::string& reason);
    // Flushes to disk and renames the new file over the target.
    bool commit();

private:
    void failWithErrno();
    void discard();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool committed_ = false;
    std::string reason_;
};

} // namespace vellograph
