// Snapshots of a drawing's records that survive changes made in pumps.
#include "engine/format/drawing_snapshot.h"

#include <algorithm>

namespace vellograph {

TDrawingSnapshot::TDrawingSnapshot(const TAVecImage& drawing)
    : drawing_(drawing),
      count_(drawing.LastIndex < 0 ? 0
                                   : std::min(drawing.Commands.size(),
                                              static_cast<std::size_t>(drawing.LastIndex) + 1)),
      keptFrom_(count_) {
    drawing.Snapshots.List.push_back(this);
}

TDrawingSnapshot::~TDrawingSnapshot() {
    std::erase(drawing_.Snapshots.List, this);
}

std::span<const TDrawCommand> TDrawingSnapshot::Next(std::size_t maxCount) {
    if (lost_ || read_ >= count_) {
        return {};
    }
    const TDrawCommand* from = nullptr;
    std::size_t n = 0;
    if (read_ < keptFrom_) {
        n = std::min(maxCount, keptFrom_ - read_);
        if (drawing_.Commands.size() < read_ + n) {
            lost_ = true;
            return {};
        }
        from = drawing_.Commands.data() + read_; // it may have moved since the last call
    } else {
        n = std::min(maxCount, count_ - read_);
        from = kept_.data() + (read_ - keptFrom_);
    }
    read_ += n;
    return {from, n};
}

void TDrawingSnapshot::Keep(std::size_t first) {
    const std::size_t from = std::max(read_, first);
    if (from >= keptFrom_) {
        return;
    }
    if (drawing_.Commands.size() < keptFrom_) {
        lost_ = true;
        return;
    }
    kept_.insert(kept_.begin(), drawing_.Commands.begin() + static_cast<std::ptrdiff_t>(from),
                 drawing_.Commands.begin() + static_cast<std::ptrdiff_t>(keptFrom_));
    keptFrom_ = from;
}

void KeepForSnapshots(const TAVecImage& drawing, std::int32_t first) {
    for (TDrawingSnapshot* snapshot : drawing.Snapshots.List) {
        snapshot->Keep(static_cast<std::size_t>(std::max(first, 0)));
    }
}

} // namespace vellograph
