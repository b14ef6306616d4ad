// The drawing document and its file: NewDrawing, LoadDrawing, SaveDrawing.
#pragma once

#include "engine/format/record.h"
#include "engine/io/file_identity.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vellograph {

// Passed to AddCommand it means append; as LastFillIndex, no fill played; as
// an end index, play to the end.
inline constexpr std::int32_t NoIndex = 0x200000;

inline constexpr std::size_t HeaderSize = 36;
inline constexpr char StandardHeader[] = "W1251 -=CreaTed by Vellograph 3.0=-\n";
static_assert(sizeof(StandardHeader) == HeaderSize + 1);

class TDrawingSnapshot;

// The snapshots open on a drawing (drawing_snapshot.h). A copy of a drawing
// starts with none: they read the original.
class TOpenSnapshots {
public:
    TOpenSnapshots() = default;
    TOpenSnapshots(const TOpenSnapshots&) {}
    TOpenSnapshots& operator=(const TOpenSnapshots&) { return *this; }
    std::vector<TDrawingSnapshot*> List;
};

struct TAVecImage {
    // Characters 0 to 35 hold the file's header verbatim; the rest is unused.
    std::array<char, 97> Header{};
    // Header bytes obtained by the last load, less one, modulo 256.
    std::uint8_t HeaderLastIndex = 0;
    TRecords Commands;
    // Index of the last valid record; -1 when none. Records beyond it are
    // undone ones that redo can bring back.
    std::int32_t LastIndex = -1;
    // Index of the last fill record the renderer played, or NoIndex.
    std::int32_t LastFillIndex = 0;

    // Which drawing this is: a new value, unique in the process, at every
    // replacement (NewDrawing, the start of a load). Code that pumps the
    // queue and must know whether the drawing is still the one it began with
    // compares this, never an address, a size or LastIndex.
    std::uint64_t Generation = 0;
    // Changes of the records or of LastIndex made through ChangeRecords.
    std::uint64_t Changes = 0;
    mutable TOpenSnapshots Snapshots;
};

// The one way in for every change of the records or of LastIndex (recording,
// undo and redo, truncation): called just before the change, it counts it and
// hands every open snapshot the records from `first` on that it has yet to
// read, as they are about to be overwritten or cut off. NoIndex: nothing is
// overwritten or cut off (LastIndex only moves, or records are appended).
void ChangeRecords(TAVecImage& drawing, std::int32_t first);
// The same for a replacement of the whole drawing: it also takes a new
// Generation.
void ReplaceRecords(TAVecImage& drawing);
// Undo and redo: LastIndex moves, the records stay.
void MoveLastIndex(TAVecImage& drawing, std::int32_t lastIndex);
// A Generation no drawing had before.
std::uint64_t NewGeneration();

// The one drawing the program works on.
extern TAVecImage VecImage;

// User-facing messages of the file operations.
inline constexpr const char* MsgLoaded = "Загружено)";
inline constexpr const char* MsgLoadFailed = "Неизвестный тип файла или файл не найден";
inline constexpr const char* MsgSaveFailed = "Ошибка. Что-то не произошло";

// True only for an existing regular file (not a directory, FIFO or device).
bool FileExists(const std::string& fileName);
// The file's size on disk, clamped to 32 bits as saves report it; 0 when it
// cannot be read.
std::int32_t FileSizeOnDisk(const std::string& fileName);

void NewDrawing(TAVecImage& drawing);

// How a LoadDrawing or SaveDrawing ended, for the code that called it; the
// user has been told already.
enum class LoadOutcome {
    Loaded,     // the whole file is in the drawing: "Загружено)"
    Failed,     // the drawing is as it was before: the failure message
    Superseded, // a handler run by a pump replaced the drawing: no message
};
enum class SaveOutcome {
    Saved,  // no message: the callers show the size
    Failed, // the old file as it was: the failure message
};

// Replaces the drawing by the file's contents and tells the user how it went.
// On any failure the drawing is left exactly as it was. Handlers that run in
// its message pumps see the records read so far. The window holds back every
// action that records or moves LastIndex while a load reads; should a handler
// change the drawing all the same (a new drawing, another load), that ends
// the load, and the drawing stays as the handler left it, with no message.
LoadOutcome LoadDrawing(const std::string& fileName, TAVecImage& drawing);

// True while a LoadDrawing is reading into the drawing: it is pumping
// messages, and no handler has replaced or changed the drawing since it
// began (running.h). The window holds back recording, undo/redo and saves
// while this holds.
bool LoadInProgress();

// Writes the header and records 0..LastIndex as they are when it is called.
// On success savedSize receives the file's size; on failure the user is told,
// savedSize and the old file are untouched. A drawing of more than 131072
// records is written with the message queue pumped every 131072 records and
// while the disk catches up; handlers run meanwhile do not change what is
// written. Of two saves of one file the one begun later wins, even when it
// ran inside the other's pump.
SaveOutcome SaveDrawing(const std::string& fileName, const TAVecImage& drawing,
                        std::int32_t& savedSize);
// The same for a file identified when the save was chosen: "the later save
// wins" compares that identity with every other writer's.
SaveOutcome SaveDrawing(const std::string& fileName, const TFileIdentity& chosen,
                        const TAVecImage& drawing, std::int32_t& savedSize);

} // namespace vellograph
