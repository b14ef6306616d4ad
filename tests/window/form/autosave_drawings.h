// The two drawings that the kill test's child autosaves in turn.
#pragma once

#include "engine/format/drawing.h"

namespace vellograph {

// Sizes differ, and so do the records, so that a file holding a mix of the
// two, or a cut-off one, matches neither.
inline TAVecImage AutosaveDrawing(int which) {
    TAVecImage drawing;
    NewDrawing(drawing);
    const std::int32_t count = which == 0 ? 20000 : 50000;
    drawing.Commands.resize(static_cast<std::size_t>(count),
                            MakeNumberRecord(which == 0 ? CmdMove : CmdLine, 100 + which, 200));
    drawing.LastIndex = count - 1;
    return drawing;
}

} // namespace vellograph
