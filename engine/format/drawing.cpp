// The drawing document: the global drawing, NewDrawing and the file test.
#include "engine/format/drawing.h"
#include "engine/format/drawing_snapshot.h"
#include "engine/format/record_rules.h"

#include <algorithm>
#include <sys/stat.h>

namespace vellograph {

TAVecImage VecImage;

bool FileExists(const std::string& fileName) {
    struct stat st {};
    return !fileName.empty() && ::stat(fileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void NewDrawing(TAVecImage& drawing) {
    KeepForSnapshots(drawing, 0);
    std::copy_n(StandardHeader, HeaderSize, drawing.Header.begin());
    drawing.HeaderLastIndex = HeaderSize - 1;
    drawing.LastIndex = 1;
    drawing.Commands.resize(2);
    drawing.Commands[0] = MakeColorRecord(CmdColor, DefaultPenColor);        // c0000: black
    drawing.Commands[1] = MakeNumberRecord(CmdPenWidth, DefaultPenWidth, 0); // p0200: width 2
    // LastFillIndex is left as it was.
}

} // namespace vellograph
