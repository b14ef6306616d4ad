// The undo/redo and delay panels' state and the reading of their fields.
#pragma once

#include "engine/format/record_rules.h"

#include <cstdint>
#include <string>

namespace vellograph {

// LastIndex when the undo panel was last opened; 0 at start.
extern std::int32_t RedoLimit;

inline constexpr std::int32_t MinUndoStep = 1;
// Four times what the panel's label promises; kept, as users may rely on it.
inline constexpr std::int32_t MaxUndoStep = 8192;
// The delay panel asks for at least 10 ms; a record may hold 1 ms.
inline constexpr std::int32_t MinDelayMs = 10;
inline constexpr std::int32_t MaxDelayMs = MaxRecordDelayMs;

// The field read as an integer and clamped; text that is no integer throws
// the conversion error before anything changes.
std::int32_t UndoStepFromText(const std::string& text);
std::int32_t DelayFromText(const std::string& text);

} // namespace vellograph
