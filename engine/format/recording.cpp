// AddCommand: turns pointer positions, widths, colours and delays into records.
#include "engine/format/recording.h"

#include "engine/format/drawing_snapshot.h"
#include "engine/format/record_rules.h"
#include "engine/playback/render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vellograph {

namespace {

constexpr std::int32_t CoordinateMask = 0xFFF; // 12 bits of each rotated axis are kept

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

// Trunc toward zero, keeping the low 12 bits. Values too large for a 64-bit
// integer take the exact, slower remainder.
std::int32_t LowBits(double value) {
    if (!(value > 0.0) || std::isinf(value)) {
        return 0;
    }
    if (value < 9223372036854775807.0) {
        return static_cast<std::int32_t>(static_cast<std::int64_t>(value) & CoordinateMask);
    }
    return static_cast<std::int32_t>(std::fmod(value, CoordinateMask + 1.0));
}

// cos(-angle) and sin(-angle) of the last angle seen: a stroke records every
// pointer move under one view, and the trigonometry would cost more than
// everything else in a call.
struct InverseRotation {
    double angle = 0.0;
    double cos = 1.0;
    double sin = -0.0;
};

const InverseRotation& InverseRotationFor(double angle) {
    thread_local InverseRotation cached;
    if (std::memcmp(&cached.angle, &angle, sizeof angle) != 0) {
        cached = {angle, std::cos(-angle), std::sin(-angle)};
    }
    return cached;
}

// The record of two numbers, as MakeNumberRecord builds it, composed in
// place: this runs on every pointer move of a stroke.
TDrawCommand NumberRecord(std::uint8_t letter, std::int32_t first, std::int32_t second) {
    const auto a = static_cast<std::uint32_t>(first);
    const auto b = static_cast<std::uint32_t>(second);
    TDrawCommand r;
    r.Letter = letter;
    r.Digits[0] = static_cast<std::uint8_t>(DigitBase + a / 64);
    r.Digits[1] = static_cast<std::uint8_t>(DigitBase + a % 64);
    r.Digits[2] = static_cast<std::uint8_t>(DigitBase + b / 64);
    r.Digits[3] = static_cast<std::uint8_t>(DigitBase + b % 64);
    r.Terminator = RecordTerminator;
    return r;
}

// Places a finished record: an index above LastIndex (NoIndex among them,
// whatever LastIndex is) appends after LastIndex and drops any undone tail;
// 0..LastIndex overwrites in place.
void StoreRecord(TAVecImage& drawing, std::int32_t index, const TDrawCommand& record) {
    if (index >= 0 && index <= drawing.LastIndex && index < NoIndex) {
        if (static_cast<std::size_t>(index) < drawing.Commands.size()) {
            KeepForSnapshots(drawing, index);
            drawing.Commands[static_cast<std::size_t>(index)] = record;
        }
        return;
    }
    if (drawing.LastIndex == std::numeric_limits<std::int32_t>::max()) {
        return; // no index left to name another record
    }
    KeepForSnapshots(drawing, drawing.LastIndex + 1); // an undone tail is cut off
    drawing.Commands.resize(static_cast<std::size_t>(drawing.LastIndex + 1));
    drawing.Commands.push_back(record);
    ++drawing.LastIndex;
}

} // namespace

void AddCommand(TAVecImage& drawing, std::int32_t x, std::int32_t y, std::int32_t originX,
                std::int32_t originY, std::int32_t index, double scale, double angle,
                std::uint8_t command) {
    TDrawCommand built{};
    switch (command) {
    case CmdMove:
    case CmdLine: {
        const double dx = static_cast<double>(static_cast<std::int64_t>(x) - originX);
        const double dy = static_cast<double>(static_cast<std::int64_t>(y) - originY);
        // The inverse of the view's rotation.
        const InverseRotation& r = InverseRotationFor(angle);
        double u = dx * r.cos + dy * r.sin;
        double v = -dx * r.sin + dy * r.cos;
        if (u < 0) {
            u = 0;
        }
        if (v < 0) {
            v = 0;
        }
        const std::int32_t ux = LowBits(u);
        const std::int32_t vy = LowBits(v);
        built = NumberRecord(command, EncodableQuotient(ux / scale), EncodableQuotient(vy / scale));
        break;
    }
    case CmdPenWidth: {
        PenWidth = RecordedPenWidth(PenWidth); // the pen itself is held to the rule
        const std::int32_t w = std::max(EncodableQuotient(PenWidth / scale), 1);
        built = MakeNumberRecord(CmdPenWidth, w, 0);
        break;
    }
    case CmdDelay:
        built = MakeNumberRecord(CmdDelay, RecordedDelayMs(x), 0);
        break;
    case CmdColor:
        built = MakeColorRecord(CmdColor, PenColor);
        break;
    default:
        return; // fills and end markers are never recorded
    }
    StoreRecord(drawing, index, built);
}

} // namespace vellograph
