// One walk over the records that play: what each record does, read once, for
// playback and for everything that must agree with it.
#pragma once

#include "engine/format/drawing.h"
#include "engine/format/record.h"
#include "engine/format/record_rules.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vellograph {

// The visitor of ForEachPlayed. A visitor derives from it and hides the
// members it cares about; the others do nothing. Every member gets the
// record's index first. Operands come decoded and held to what playback
// makes of them, so no visitor applies the record rules itself.
struct PlayedRecordVisitor {
    // "m" and "l": a drawing point, as stored (no range check).
    void OnMove(std::int32_t, std::int32_t, std::int32_t) {}
    void OnLine(std::int32_t, std::int32_t, std::int32_t) {}
    // "c" and "e": the decoded colour. A fill then holds for FillDelayMs.
    void OnColor(std::int32_t, TColor) {}
    void OnFill(std::int32_t, TColor) {}
    // "d": the hold in milliseconds, 1 to 10000.
    void OnDelay(std::int32_t, std::int32_t) {}
    // "p": the pen width the record sets, 1 to 128 (0 or less gave 2).
    void OnPenWidth(std::int32_t, std::int32_t) {}
    // Any other record, an "i" that is not the end marker among them: it has
    // no effect on playback.
    void OnOther(std::int32_t, const TDrawCommand&) {}
    // The end marker. Playback ends there: false. True walks on past it,
    // which only a count of the stored records wants.
    bool OnEnd(std::int32_t) { return false; }
    // After every record but an end marker that ended the walk; false ends
    // the walk. The renderer pumps the message queue and obeys a stop here.
    bool AfterRecord(std::int32_t) { return true; }
};

// Walks records start..end, both inclusive, as playback does. A start below 0
// walks from 0. The last index is the smaller of end and LastIndex, taken
// once: records appended meanwhile are not walked. Returns the index of the
// first record not walked: the end marker's own index when one ended the
// walk, so that from 0 this is the number of records that play.
template <class Visitor>
inline std::int32_t ForEachPlayed(const TAVecImage& drawing, std::int32_t start, std::int32_t end,
                                  Visitor&& visitor) {
    std::int32_t i = std::max(start, 0);
    const std::int32_t last = std::min(end, drawing.LastIndex);
    for (; i <= last; ++i) {
        // Handlers run from the renderer's pumps may have undone or cut off
        // records. A record beyond the drawing's current LastIndex is no
        // longer part of it (playing it would put undone strokes back on the
        // screen), and one beyond the storage does not exist at all: either
        // ends the walk. The storage is looked up afresh for every record, as
        // a stroke recorded during a pump may move it.
        if (i > drawing.LastIndex || static_cast<std::size_t>(i) >= drawing.Commands.size()) {
            return i;
        }
        const TDrawCommand record = drawing.Commands[static_cast<std::size_t>(i)];
        // Strokes are mostly "l" records: a direct branch ahead of the jump table.
        switch (record.Letter == CmdLine ? CmdLine : record.Letter) {
        case CmdMove:
            visitor.OnMove(i, RecordX(record), RecordY(record));
            break;
        case CmdLine:
            visitor.OnLine(i, RecordX(record), RecordY(record));
            break;
        case CmdColor:
            visitor.OnColor(i, RecordColor(record));
            break;
        case CmdFill:
            visitor.OnFill(i, RecordColor(record));
            break;
        case CmdDelay:
            visitor.OnDelay(i, RecordedDelayMs(RecordX(record)));
            break;
        case CmdPenWidth:
            visitor.OnPenWidth(i, RecordedPenWidth(RecordX(record)));
            break;
        case CmdEnd:
            if (IsEndMarker(record)) {
                if (!visitor.OnEnd(i)) {
                    return i;
                }
                break;
            }
            visitor.OnOther(i, record);
            break;
        default:
            visitor.OnOther(i, record);
            break;
        }
        if (!visitor.AfterRecord(i)) {
            return i + 1;
        }
    }
    return i;
}

} // namespace vellograph
