// Saving drawing files: header and records in force, replacing the old file
// only whole. A big drawing is written in slices with the message queue
// pumped between them, and the wait for the disk runs aside, so the window
// stays responsive; the file still holds the drawing as it was when the save
// began.
#include "engine/format/drawing.h"
#include "engine/format/drawing_snapshot.h"
#include "engine/format/running.h"
#include "engine/io/file_io.h"
#include "engine/io/replace_file.h"
#include "engine/playback/host.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace vellograph {

namespace {

// Records written between two pumps: well under a millisecond of copying
// into the page cache, even when the kernel has to find memory for it.
constexpr std::size_t SliceRecords = std::size_t{1} << 17;
// Pumps come this often, in milliseconds, while the disk catches up.
constexpr int DiskPollMs = 5;

std::int32_t SizeOfFile(std::size_t records) {
    const std::int64_t size =
        HeaderSize + sizeof(TDrawCommand) * static_cast<std::int64_t>(records);
    // A drawing past 2 GiB is saved whole; its size only saturates here.
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(size, std::numeric_limits<std::int32_t>::max()));
}

// Runs work on another thread while this one pumps the queue every few
// milliseconds; waiting here rather than in the host, whose wait may not
// block at all.
void RunWhilePumping(const std::function<void()>& work) {
    std::future<void> done = std::async(std::launch::async, work);
    while (done.wait_for(std::chrono::milliseconds(DiskPollMs)) != std::future_status::ready) {
        CurrentHost().ProcessMessages();
    }
}

// Writes the records slice by slice with a pump after each but the last.
// False when the file could not take them, or when the drawing lost records
// still to be written without handing them over first.
bool WriteSlices(TReplaceFile& out, TDrawingSnapshot& records) {
    std::size_t written = 0;
    while (written < records.size()) {
        const std::span<const TDrawCommand> slice = records.Next(SliceRecords);
        if (slice.empty() || !out.write(slice.data(), slice.size_bytes())) {
            return false;
        }
        written += slice.size();
        if (written < records.size()) {
            CurrentHost().ProcessMessages();
            if (QuitRequested) {
                return false; // the program quits: the old file stays as it was
            }
        }
    }
    return true;
}

// The big save: slices with pumps, then the disk waits aside. The rename
// itself stays on this thread, so saves of one file replace it in the order
// in which they began.
std::optional<std::int32_t> SaveWithPumps(const TAVecImage& drawing, TReplaceFile& out,
                                          const TFileIdentity& chosen) {
    TRunningOperation saving;
    saving.Kind = TOperationKind::Save;
    saving.File = chosen;
    TRunning save(std::move(saving));
    std::size_t count = 0;
    {
        TDrawingSnapshot records(drawing);
        count = records.size();
        if (!WriteSlices(out, records)) {
            return std::nullopt;
        }
    }
    RunWhilePumping([&] { out.flush(); });
    if (save->SupersededBySize) {
        return save->SupersededBySize; // the newer content stays; ours is dropped
    }
    if (QuitRequested) {
        return std::nullopt; // the program quits: the old file stays as it was
    }
    // The last name of the old file goes with the rename, and the system
    // frees its blocks right there, which takes long for a big file: held
    // open here, it is freed when closed aside.
    fileio::UniqueFd oldFile(::open(out.target().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!out.replace()) {
        return std::nullopt;
    }
    const std::int32_t size = SizeOfFile(count);
    FileReplaced(chosen, size, &*save);
    RunWhilePumping([&] {
        oldFile.reset();
        out.syncDirectory();
    });
    return out.ok() ? std::optional(size) : std::nullopt;
}

std::optional<std::int32_t> Save(const std::string& fileName, const TAVecImage& drawing,
                                 const TFileIdentity& chosen) {
    if (drawing.LastIndex < -1 ||
        static_cast<std::size_t>(drawing.LastIndex + 1) > drawing.Commands.size()) {
        return std::nullopt;
    }
    // Taken now: records recorded while the save pumps belong to the next one.
    const auto count = static_cast<std::size_t>(drawing.LastIndex + 1);
    TReplaceFile out(fileName);
    out.write(drawing.Header.data(), HeaderSize);
    if (count > SliceRecords) {
        return SaveWithPumps(drawing, out, chosen);
    }
    // A drawing of one slice is written at once, without pumping.
    out.write(drawing.Commands.data(), count * sizeof(TDrawCommand));
    if (!out.commit()) {
        return std::nullopt;
    }
    FileReplaced(chosen, SizeOfFile(count), nullptr);
    return SizeOfFile(count);
}

} // namespace

SaveOutcome SaveDrawing(const std::string& fileName, const TAVecImage& drawing,
                        std::int32_t& savedSize) {
    return SaveDrawing(fileName, IdentifyFile(fileName), drawing, savedSize);
}

SaveOutcome SaveDrawing(const std::string& fileName, const TFileIdentity& chosen,
                        const TAVecImage& drawing, std::int32_t& savedSize) {
    const std::optional<std::int32_t> size = Save(fileName, drawing, chosen);
    if (!size) {
        CurrentHost().ShowMessage(MsgSaveFailed);
        return SaveOutcome::Failed;
    }
    savedSize = *size;
    return SaveOutcome::Saved;
}

} // namespace vellograph
