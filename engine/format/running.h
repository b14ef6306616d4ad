// The one table of the long operations in progress: loads, saves,
// playbacks, fit scans and delays, each registered while it runs.
#pragma once

#include "engine/format/drawing.h"
#include "engine/io/file_identity.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vellograph {

// Each pumps the message queue, so any command can run inside it; what a
// command does while one runs (run inside it, wait for it, be held back)
// is declared where the window wires the command.
enum class TOperationKind { Load, Save, Playback, Fit, Delay };

struct TRunningOperation {
    TOperationKind Kind = TOperationKind::Playback;
    // Load, Save: the file read or replaced.
    TFileIdentity File;
    // Load: the drawing read into, its generation and change count right
    // after the load took it over. The load owns the drawing while both are
    // what they were: a replacement or a change made by a handler ends it.
    const TAVecImage* Drawing = nullptr;
    std::uint64_t Generation = 0;
    std::uint64_t Changes = 0;
    // Save: set once a write chosen later replaced the same file first,
    // with the size it left there; this save's older content is dropped.
    std::optional<std::int32_t> SupersededBySize;
    // Save: its place among the writes in the order they were chosen
    // (WriteChosen), given when it is registered.
    std::uint64_t WriteNumber = 0;

    bool OwnsDrawing() const {
        return Drawing && Drawing->Generation == Generation && Drawing->Changes == Changes;
    }
};

// Registers an operation in the table for the lifetime of the object.
class TRunning {
public:
    explicit TRunning(TRunningOperation operation);
    explicit TRunning(TOperationKind kind) : TRunning(Of(kind)) {}
    ~TRunning();
    TRunning(const TRunning&) = delete;
    TRunning& operator=(const TRunning&) = delete;
    TRunningOperation& operator*() { return operation_; }
    TRunningOperation* operator->() { return &operation_; }
    const TRunningOperation* operator->() const { return &operation_; }

private:
    static TRunningOperation Of(TOperationKind kind) {
        TRunningOperation operation;
        operation.Kind = kind;
        return operation;
    }
    TRunningOperation operation_;
};

// The operations running now, outermost first: each one listed after
// another runs inside that one's pumps.
const std::vector<TRunningOperation*>& RunningOperations();
bool IsRunning(TOperationKind kind);
// True while a save still to replace the file runs.
bool SaveOfFileRunning(const TFileIdentity& file);
// A writer replaced the file with newer content (size bytes): saves of it
// still running, other than `by`, leave it as it now is.
void FileReplaced(const TFileIdentity& file, std::int32_t size, const TRunningOperation* by);
// Numbers the writes of files in the order they are chosen, from 1; a
// command that waits takes one, so that it can tell a write chosen later.
std::uint64_t WriteChosen();
// The number of the write chosen last of those that replaced the file (by
// its folder and name, whatever inode it now has); 0 when none did.
std::uint64_t LatestWriteOf(const TFileIdentity& file);

} // namespace vellograph
