// AddCommand: turns pointer positions, widths, colours and delays into records.
#include "recording.h"

#include "render.h"

#include <algorithm>
#include <cmath>

namespace vellograph {

namespace {

constexpr std::int32_t CoordinateMask = 0xFFF; // 12 bits of each rotated axis are kept
constexpr std::int32_t MaxRecordedPenWidth = 128;
constexpr std::int32_t MinRecordedDelay = 1;
constexpr std::int32_t MaxRecordedDelay = 10000;

// Trunc toward zero of a non-negative quotient, held to what the number
// encoding can store: a larger value would wrap into a different point.
std::int32_t EncodableQuotient(double value) {
    if (!(value >= 0.0)) {
        return 0;
    }
    if (value >= MaxEncodableNumber) {
        return MaxEncodableNumber;
    }
    return static_cast<std::int32_t>(value);
}

// Trunc toward zero, keeping the low 12 bits.
std::int32_t LowBits(double value) {
    if (!(value > 0.0)) {
        return 0;
    }
    // Past 2^62 every double is a multiple of 4096, so the low bits are 0.
    if (value >= 4611686018427387904.0) {
        return 0;
    }
    return static_cast<std::int32_t>(static_cast<std::int64_t>(value) & CoordinateMask);
}

TDrawCommand& RecordToWrite(TAVecImage& drawing, std::int32_t index) {
    if (index >= NoIndex || index > drawing.LastIndex || index < 0) {
        // Append, discarding any undone records beyond LastIndex.
        ++drawing.LastIndex;
        drawing.Commands.resize(static_cast<std::size_t>(drawing.LastIndex) + 1);
    } else {
        index = std::min(index, static_cast<std::int32_t>(drawing.Commands.size()) - 1);
        return drawing.Commands[static_cast<std::size_t>(index)];
    }
    return drawing.Commands[static_cast<std::size_t>(drawing.LastIndex)];
}

} // namespace

void AddCommand(TAVecImage& drawing, std::int32_t x, std::int32_t y, std::int32_t originX, std::int32_t originY,
                std::int32_t index, double scale, double angle, std::uint8_t command) {
    TDrawCommand built{};
    switch (command) {
    case CmdMove:
    case CmdLine: {
        const double dx = static_cast<double>(static_cast<std::int64_t>(x) - originX);
        const double dy = static_cast<double>(static_cast<std::int64_t>(y) - originY);
        // The inverse of the view's rotation.
        double u = dx * std::cos(-angle) + dy * std::sin(-angle);
        double v = -dx * std::sin(-angle) + dy * std::cos(-angle);
        if (u < 0) {
            u = 0;
        }
        if (v < 0) {
            v = 0;
        }
        const std::int32_t ux = LowBits(u);
        const std::int32_t vy = LowBits(v);
        built = MakeNumberRecord(command, EncodableQuotient(ux / scale), EncodableQuotient(vy / scale));
        break;
    }
    case CmdPenWidth: {
        if (PenWidth > MaxRecordedPenWidth) {
            PenWidth = MaxRecordedPenWidth;
        }
        if (PenWidth <= 0) {
            PenWidth = 2;
        }
        const std::int32_t w = std::max(EncodableQuotient(PenWidth / scale), 1);
        built = MakeNumberRecord(CmdPenWidth, w, 0);
        break;
    }
    case CmdDelay:
        built = MakeNumberRecord(CmdDelay, std::clamp(x, MinRecordedDelay, MaxRecordedDelay), 0);
        break;
    case CmdColor:
        built = MakeColorRecord(CmdColor, PenColor);
        break;
    default:
        return; // fills and end markers are never recorded
    }
    RecordToWrite(drawing, index) = built;
}

} // namespace vellograph
