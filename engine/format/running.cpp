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

} // namespace

TRunning::TRunning(TRunningOperation operation) : operation_(std::move(operation)) {
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

} // namespace vellograph
