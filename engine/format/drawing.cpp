// The drawing document: the global drawing, NewDrawing and the file test.
#include "engine/format/drawing.h"
#include "engine/format/drawing_snapshot.h"
#include "engine/format/record_rules.h"

#include <algorithm>
#include <climits>
#include <sys/stat.h>

namespace vellograph {

TAVecImage VecImage;

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return !fileName.empty() && ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::int32_t FileSizeOnDisk(const std::string& fileName) {
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0
               ? static_cast<std::int32_t>(std::min<off_t>(st.st_size, INT32_MAX))
               : 0;
}

std::uint64_t NewGeneration() {
    static std::uint64_t last = 0;
    return ++last;
}

void ChangeRecords(TAVecImage& drawing, std::int32_t first) {
    ++drawing.Changes;
    if (first < NoIndex) {
        KeepForSnapshots(drawing, first);
    }
}

void ReplaceRecords(TAVecImage& drawing) {
    ChangeRecords(drawing, 0);
    drawing.Generation = NewGeneration();
}

void MoveLastIndex(TAVecImage& drawing, std::int32_t lastIndex) {
    ChangeRecords(drawing, NoIndex);
    drawing.LastIndex = lastIndex;
}

void NewDrawing(TAVecImage& drawing) {
    ReplaceRecords(drawing);
    std::copy_n(StandardHeader, HeaderSize, drawing.Header.begin());
    drawing.HeaderLastIndex = HeaderSize - 1;
    drawing.LastIndex = 1;
    drawing.Commands.resize(2);
    drawing.Commands[0] = MakeColorRecord(CmdColor, DefaultPenColor);        // c0000: black
    drawing.Commands[1] = MakeNumberRecord(CmdPenWidth, DefaultPenWidth, 0); // p0200: width 2
    // LastFillIndex is left as it was.
}

} // namespace vellograph
