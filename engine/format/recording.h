// AddCommand: the one way user actions become records.
#pragma once

#include "engine/format/drawing.h"

#include <cstdint>

namespace vellograph {

// The largest coordinate the two-character number encoding holds.
inline constexpr std::int32_t MaxEncodableNumber = 13311;

// Builds one record from user input and appends it after LastIndex (cutting
// off any undone tail) or, for Index 0..LastIndex, overwrites that record.
void AddCommand(TAVecImage& drawing, std::int32_t x, std::int32_t y, std::int32_t originX,
                std::int32_t originY, std::int32_t index, double scale, double angle,
                std::uint8_t command);

} // namespace vellograph
