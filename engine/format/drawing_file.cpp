// Loading drawing files: the record count from the size, chunked reads, a
// message pump after every 256th record, and the old drawing back on failure.
#include "engine/format/drawing.h"
#include "engine/format/drawing_snapshot.h"
#include "engine/format/running.h"
#include "engine/io/file_io.h"
#include "engine/playback/host.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <utility>

namespace vellograph {

namespace {

constexpr std::int64_t RecordSize = sizeof(TDrawCommand);
constexpr std::int32_t PumpEvery = 256;
// Records fetched per read: whole pump groups, 6 MiB. Few reads, and the
// pumps that follow one still come every few milliseconds from a disk.
constexpr std::int32_t ChunkRecords = PumpEvery * 4096;

// Everything a load replaces, kept until the load is over so that a failure
// puts the drawing back exactly as it was, identity and all: a load it
// interrupted reads on, as the drawing is again the one that load owns.
class LoadTransaction {
public:
    LoadTransaction(TAVecImage& drawing, TRecords&& fresh, const std::string& fileName)
        : drawing_(drawing), header_(drawing.Header), headerLastIndex_(drawing.HeaderLastIndex),
          lastIndex_(drawing.LastIndex), lastFillIndex_(drawing.LastFillIndex),
          generation_(drawing.Generation), changes_(drawing.Changes), running_(LoadOf(fileName)) {
        // A save in an outer pump may still need the old records.
        ReplaceRecords(drawing);
        commands_ = std::exchange(drawing.Commands, std::move(fresh));
        drawing.LastIndex = -1;
        drawing.LastFillIndex = 0;
        running_->Drawing = &drawing;
        running_->Generation = drawing.Generation;
        running_->Changes = drawing.Changes;
    }
    ~LoadTransaction() {
        if (!finished_ && StillOurs()) {
            Restore();
        }
    }
    LoadTransaction(const LoadTransaction&) = delete;
    LoadTransaction& operator=(const LoadTransaction&) = delete;

    // The records read so far, published to handlers as LastIndex.
    void Published(std::int32_t loaded) { drawing_.LastIndex = loaded - 1; }
    // False once a handler run by a pump replaced or changed the drawing.
    bool StillOurs() const { return running_->OwnsDrawing(); }
    void Restore() {
        KeepForSnapshots(drawing_, 0);
        drawing_.Header = header_;
        drawing_.HeaderLastIndex = headerLastIndex_;
        drawing_.Commands = std::move(commands_);
        drawing_.LastIndex = lastIndex_;
        drawing_.LastFillIndex = lastFillIndex_;
        drawing_.Generation = generation_;
        drawing_.Changes = changes_;
        finished_ = true;
    }
    // Ends the load, keeping the drawing as it now is.
    void Finish() { finished_ = true; }

private:
    static TRunningOperation LoadOf(const std::string& fileName) {
        TRunningOperation load;
        load.Kind = TOperationKind::Load;
        load.File = IdentifyFile(fileName);
        return load;
    }

    TAVecImage& drawing_;
    std::array<char, 97> header_;
    std::uint8_t headerLastIndex_;
    TRecords commands_;
    std::int32_t lastIndex_;
    std::int32_t lastFillIndex_;
    std::uint64_t generation_;
    std::uint64_t changes_;
    TRunning running_;
    bool finished_ = false;
};

// Opens a regular file for reading. O_NONBLOCK keeps a FIFO without a writer
// from blocking the open; the type test on the open descriptor then turns
// away FIFOs, sockets, devices and directories.
fileio::UniqueFd OpenRegularFile(const std::string& fileName, std::int64_t& size) {
    if (fileName.empty()) {
        return {};
    }
    fileio::UniqueFd fd(::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return {};
    }
    size = st.st_size;
    return fd;
}

using Outcome = LoadOutcome;

// Reads the records in chunks straight into the drawing's storage and hands
// them out a pump group at a time, so that every pump sees LastIndex + 1
// records in Commands. Load reserved room for every record, so the storage
// never moves; a handler run by a pump that replaces or changes the records
// ends the load (StillOurs) before anything more is added.
Outcome ReadRecords(int fd, std::int64_t recordBytes, std::int32_t count, TAVecImage& drawing,
                    LoadTransaction& load) {
    TRecords& records = drawing.Commands;
    std::int32_t loaded = 0;
    while (loaded < count) {
        const std::int32_t inChunk = std::min(count - loaded, ChunkRecords);
        const std::int64_t want =
            std::min<std::int64_t>(recordBytes - loaded * RecordSize, inChunk * RecordSize);
        AddRecordsKeepingBytes(records, static_cast<std::size_t>(inChunk));
        char* const bytes = reinterpret_cast<char*>(records.data() + loaded);
        // A file that shrank under us is as unreadable as one with a read error.
        if (fileio::ReadFull(fd, bytes, static_cast<std::size_t>(want)) != want) {
            return Outcome::Failed;
        }
        // A short last record keeps zero bytes where the file ended.
        std::memset(bytes + want, 0, static_cast<std::size_t>(inChunk * RecordSize - want));
        // Back to the records published; the chunk's bytes stay in the storage.
        records.resize(static_cast<std::size_t>(loaded));
        for (std::int32_t first = 0; first < inChunk;) {
            const std::int32_t group = std::min(inChunk - first, PumpEvery - loaded % PumpEvery);
            AddRecordsKeepingBytes(records, static_cast<std::size_t>(group));
            first += group;
            loaded += group;
            load.Published(loaded);
            if (loaded % PumpEvery == 0 && loaded < count) {
                CurrentHost().ProcessMessages();
                // A quit ends the load where it is: nothing follows it.
                if (!load.StillOurs() || QuitRequested) {
                    return Outcome::Superseded;
                }
            }
        }
    }
    return Outcome::Loaded;
}

Outcome Load(const std::string& fileName, TAVecImage& drawing) {
    std::int64_t size = 0;
    fileio::UniqueFd fd = OpenRegularFile(fileName, size);
    if (!fd) {
        return Outcome::Failed;
    }
    const std::int64_t headerBytes = std::min<std::int64_t>(size, HeaderSize);
    const std::int64_t recordBytes = size - headerBytes;
    // At least one record; a short last one counts. LastIndex must fit 32 bits.
    const std::int64_t count =
        std::max<std::int64_t>(1, (recordBytes + RecordSize - 1) / RecordSize);
    if (count > std::numeric_limits<std::int32_t>::max()) {
        return Outcome::Failed;
    }
    std::array<char, HeaderSize> header{};
    if (fileio::ReadFull(fd.get(), header.data(), static_cast<std::size_t>(headerBytes)) !=
        headerBytes) {
        return Outcome::Failed;
    }
    TRecords fresh;
    try {
        fresh.reserve(static_cast<std::size_t>(count));
    } catch (const std::exception&) {
        return Outcome::Failed; // too large to hold in memory
    }

    LoadTransaction load(drawing, std::move(fresh), fileName);
    // Header bytes the file does not supply keep their previous contents.
    std::copy_n(header.begin(), headerBytes, drawing.Header.begin());
    drawing.HeaderLastIndex = static_cast<std::uint8_t>(headerBytes - 1);
    const Outcome outcome =
        ReadRecords(fd.get(), recordBytes, static_cast<std::int32_t>(count), drawing, load);
    switch (outcome) {
    case Outcome::Loaded:
        load.Finish();
        break;
    case Outcome::Failed:
        load.Restore();
        break;
    case Outcome::Superseded:
        // The newer action wins: carrying on would splice file records into
        // whatever the handler made, and undoing it would throw its work away.
        load.Finish();
        break;
    }
    return outcome;
}

} // namespace

LoadOutcome LoadDrawing(const std::string& fileName, TAVecImage& drawing) {
    const LoadOutcome outcome = Load(fileName, drawing);
    switch (outcome) {
    case Outcome::Loaded:
        CurrentHost().ShowMessage(MsgLoaded);
        break;
    case Outcome::Failed:
        CurrentHost().ShowMessage(MsgLoadFailed);
        break;
    case Outcome::Superseded:
        break;
    }
    return outcome;
}

} // namespace vellograph
