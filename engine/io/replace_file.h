// Writing a new file beside its target and renaming it into place.
#pragma once

#include "engine/io/file_io.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vellograph {

// The outcome of writing a file: on failure, the system's reason text.
struct TFileResult {
    bool ok = true;
    std::string reason;
    explicit operator bool() const { return ok; }
};

// A failed or interrupted write must never leave a half-written file under
// the target's name, nor damage the file that was there: everything goes to a
// new file in the same directory, which replaces the target only once its
// data reached the disk.
//
// A symbolic link is followed: the file it names is replaced (or created, when
// the link dangles) and the link stays. An existing target must be a regular
// file whose mode allows writing; a read-only file stays read-only even for
// root. The new file keeps the old one's permission bits and, where that is
// allowed, its owner; a new name gets 0666 less the umask. A write past the
// file size limit fails with the reason instead of killing the process.
class TReplaceFile {
public:
    explicit TReplaceFile(const std::string& target);
    // Removes the new file unless commit() renamed it into place.
    ~TReplaceFile();
    TReplaceFile(const TReplaceFile&) = delete;
    TReplaceFile& operator=(const TReplaceFile&) = delete;

    // False once anything failed; reason() then says why.
    bool ok() const { return reason_.empty(); }
    const std::string& reason() const { return reason_; }
    TFileResult result() const { return {ok(), reason_}; }

    // The file that commit() replaces, with symbolic links resolved.
    const std::string& target() const { return target_; }
    // The new file until commit() renames it or a failure removes it (then
    // empty), for a writer in another process: what it writes there reaches
    // the disk with this object's flush().
    const std::string& temporary() const { return temp_; }

    // Writes every byte or fails.
    bool write(const void* data, std::size_t size);
    // Flushes to disk and renames the new file over the target: flush(),
    // replace() and syncDirectory() in turn.
    bool commit();

    // The steps of commit(), for a writer that keeps its window responsive
    // meanwhile. flush() and syncDirectory() may take long on a busy disk;
    // they touch nothing but this object and may run on another thread
    // while the owner's thread leaves the object alone.
    // Brings the new file's data to the disk and closes it.
    bool flush();
    // Renames the flushed new file over the target.
    bool replace();
    // Makes the rename itself durable.
    bool syncDirectory();

private:
    void fail(const std::string& reason);
    void failWithErrno();
    void discard();

    std::string target_; // with symbolic links resolved
    std::string temp_;
    fileio::UniqueFd fd_;
    bool flushed_ = false;
    bool committed_ = false;
    std::string reason_;
};

// The whole new content in one call.
TFileResult ReplaceFileContents(const std::string& target, std::string_view bytes);

} // namespace vellograph
