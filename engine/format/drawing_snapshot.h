// Reading a drawing's records as they were, across message pumps that may
// change the drawing.
#pragma once

#include "engine/format/drawing.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vellograph {

// The records in force (0..LastIndex) when the snapshot is taken, read in
// order by a loop that pumps the queue. Handlers run by those pumps may
// change the drawing; whatever is about to overwrite or cut off records hands
// every snapshot of that drawing those it has yet to read (KeepForSnapshots).
// Nothing is copied unless that happens, and then only the records concerned.
class TDrawingSnapshot {
public:
    explicit TDrawingSnapshot(const TAVecImage& drawing);
    ~TDrawingSnapshot();
    TDrawingSnapshot(const TDrawingSnapshot&) = delete;
    TDrawingSnapshot& operator=(const TDrawingSnapshot&) = delete;

    const TAVecImage& drawing() const { return drawing_; }
    std::size_t size() const { return count_; }
    // The next records, at most maxCount of them. Empty at the end, and once
    // records still to be read were cut off without being handed over.
    std::span<const TDrawCommand> Next(std::size_t maxCount);
    bool Lost() const { return lost_; }

private:
    friend void KeepForSnapshots(const TAVecImage& drawing, std::int32_t first);
    void Keep(std::size_t first);

    const TAVecImage& drawing_;
    std::size_t count_;
    std::size_t read_ = 0;
    // Records keptFrom_..count_-1 come from kept_ instead of the drawing.
    std::size_t keptFrom_;
    TRecords kept_;
    bool lost_ = false;
};

// Called before records from index first on are overwritten or cut off:
// ChangeRecords and ReplaceRecords (drawing.h) do it for every change, a
// failed load's restore for itself. Appending and moving LastIndex need none.
void KeepForSnapshots(const TAVecImage& drawing, std::int32_t first);

} // namespace vellograph
