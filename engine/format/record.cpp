// Digit codecs of the command record.
#include "engine/format/record.h"

namespace vellograph {

std::array<std::uint8_t, 2> EncodeNumber(std::int32_t value) {
    // Character arithmetic is 8-bit: the high character wraps from 13312 on.
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(DigitBase + v / 64),
            static_cast<std::uint8_t>(DigitBase + v % 64)};
}

std::array<std::uint8_t, 4> EncodeColor(TColor color) {
    const std::uint32_t r = color & 0xFF;
    const std::uint32_t g = (color >> 8) & 0xFF;
    const std::uint32_t b = (color >> 16) & 0xFF;
    const std::uint32_t d1 = (r & 0xC0) / 4 + (g & 0xC0) / 16 + (b & 0xC0) / 64;
    return {static_cast<std::uint8_t>(DigitBase + d1),
            static_cast<std::uint8_t>(DigitBase + (r & 0x3F)),
            static_cast<std::uint8_t>(DigitBase + (g & 0x3F)),
            static_cast<std::uint8_t>(DigitBase + (b & 0x3F))};
}

TColor DecodeColor(const std::array<std::uint8_t, 4>& digits) {
    // The masks act on the two's-complement differences from DigitBase.
    const std::int32_t d1 = static_cast<std::int32_t>(digits[0]) - DigitBase;
    const std::int32_t d2 = static_cast<std::int32_t>(digits[1]) - DigitBase;
    const std::int32_t d3 = static_cast<std::int32_t>(digits[2]) - DigitBase;
    const std::int32_t d4 = static_cast<std::int32_t>(digits[3]) - DigitBase;
    const std::int32_t r = (d1 & 0x30) * 4 + (d2 & 0x3F);
    const std::int32_t g = (d1 & 0x0C) * 16 + (d3 & 0x3F);
    const std::int32_t b = (d1 & 0x03) * 64 + (d4 & 0x3F);
    return static_cast<TColor>(r + g * 256 + b * 65536);
}

bool IsEndMarker(const TDrawCommand& record) {
    return record.Letter == CmdEnd && record.Digits[0] == 'E' && record.Digits[1] == 'N' &&
           record.Digits[2] == 'D';
}

TDrawCommand MakeNumberRecord(std::uint8_t letter, std::int32_t first, std::int32_t second) {
    const auto a = EncodeNumber(first);
    const auto b = EncodeNumber(second);
    return {letter, {a[0], a[1], b[0], b[1]}, RecordTerminator};
}

TDrawCommand MakeColorRecord(std::uint8_t letter, TColor color) {
    return {letter, EncodeColor(color), RecordTerminator};
}

TDrawCommand MakeEndMarker() {
    return {CmdEnd, {'E', 'N', 'D', '0'}, RecordTerminator};
}

} // namespace vellograph
