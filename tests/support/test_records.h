// Record builders and small drawings for renderer tests.
#pragma once

#include "engine/format/drawing.h"
#include "engine/format/record.h"

#include <cstdint>
#include <vector>

namespace vellograph::test {

inline TDrawCommand Move(std::int32_t x, std::int32_t y) {
    return MakeNumberRecord(CmdMove, x, y);
}
inline TDrawCommand Line(std::int32_t x, std::int32_t y) {
    return MakeNumberRecord(CmdLine, x, y);
}
inline TDrawCommand Color(TColor c) {
    return MakeColorRecord(CmdColor, c);
}
inline TDrawCommand Fill(TColor c) {
    return MakeColorRecord(CmdFill, c);
}
inline TDrawCommand Delay(std::int32_t ms) {
    return MakeNumberRecord(CmdDelay, ms, 0);
}
inline TDrawCommand Width(std::int32_t w) {
    return MakeNumberRecord(CmdPenWidth, w, 0);
}
inline TDrawCommand Raw(std::uint8_t letter, std::uint8_t d1, std::uint8_t d2, std::uint8_t d3,
                        std::uint8_t d4) {
    return {letter, {d1, d2, d3, d4}, RecordTerminator};
}

// A drawing whose records are all in force.
inline TAVecImage MakeDrawing(TRecords records) {
    TAVecImage d;
    d.Commands = std::move(records);
    d.LastIndex = static_cast<std::int32_t>(d.Commands.size()) - 1;
    return d;
}

// Colour records whose colour names their own index: after a playback,
// PenColor tells which record was played last.
inline TColor Tag(std::int32_t index) {
    return 0x100 + static_cast<TColor>(index);
}
inline std::int32_t Untag(TColor color) {
    return static_cast<std::int32_t>(color) - 0x100;
}
inline TAVecImage TaggedDrawing(std::int32_t count) {
    TRecords records;
    for (std::int32_t i = 0; i < count; ++i) {
        records.push_back(Color(Tag(i)));
    }
    return MakeDrawing(std::move(records));
}

} // namespace vellograph::test
