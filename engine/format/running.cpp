// The table of running operations.
#include "engine/format/running.h"

#include <algorithm>
#include <utility>

namespace vellograph {

namespace {

std::vector<TRunningOperation*>& Table() {
    static std::vector<TRunningOperation*> table;
    return table;
}

std::uint64_t& LastWriteNumber() {
    static std::uint64_t number = 0;
    return number;
}

// The latest write that replaced each file, by folder and name.
struct TReplacement {
    TFileIdentity File;
    std::uint64_t WriteNumber = 0;
};
std::vector<TReplacement>& Replacements() {
    static std::vector<TReplacement> replacements;
    return replacements;
}

bool SameName(const TFileIdentity& a, const TFileIdentity& b) {
    return a.HasFolder && b.HasFolder && a.FolderDevice == b.FolderDevice &&
           a.FolderInode == b.FolderInode && a.Name == b.Name;
}

std::vector<TReplacement>::iterator ReplacementOf(const TFileIdentity& file) {
    return std::find_if(Replacements().begin(), Replacements().end(),
                        [&](const TReplacement& r) { return SameName(r.File, file); });
}

} // namespace

TRunning::TRunning(TRunningOperation operation) : operation_(std::move(operation)) {
    if (operation_.Kind == TOperationKind::Save) {
        operation_.WriteNumber = WriteChosen();
    }
    Table().push_back(&operation_);
}

TRunning::~TRunning() {
    std::erase(Table(), &operation_);
}

const std::vector<TRunningOperation*>& RunningOperations() {
    return Table();
}

bool IsRunning(TOperationKind kind) {
    return std::any_of(Table().begin(), Table().end(),
                       [kind](const TRunningOperation* op) { return op->Kind == kind; });
}

bool SaveOfFileRunning(const TFileIdentity& file) {
    return std::any_of(Table().begin(), Table().end(), [&](const TRunningOperation* op) {
        return op->Kind == TOperationKind::Save && !op->SupersededBySize && op->File.Same(file);
    });
}

void FileReplaced(const TFileIdentity& file, std::int32_t size, const TRunningOperation* by) {
    // A write done at once is chosen as it is done.
    const std::uint64_t number = by ? by->WriteNumber : WriteChosen();
    const auto known = ReplacementOf(file);
    if (known == Replacements().end()) {
        Replacements().push_back({file, number});
    } else {
        known->WriteNumber = std::max(known->WriteNumber, number);
    }
    for (TRunningOperation* op : Table()) {
        if (op != by && op->Kind == TOperationKind::Save && op->File.Same(file)) {
            op->SupersededBySize = size;
        }
    }
}

bool LoadInProgress() {
    // A load whose drawing was replaced or changed is over for everyone
    // else, even before its pump returns to it; an inner load that failed
    // gives an outer one its drawing back, and that one reads on.
    return std::any_of(Table().begin(), Table().end(), [](const TRunningOperation* op) {
        return op->Kind == TOperationKind::Load && op->OwnsDrawing();
    });
}

std::uint64_t WriteChosen() {
    return ++LastWriteNumber();
}

std::uint64_t LatestWriteOf(const TFileIdentity& file) {
    const auto known = ReplacementOf(file);
    return known == Replacements().end() ? 0 : known->WriteNumber;
}

} // namespace vellograph
