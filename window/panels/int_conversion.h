// The whole-number reading of the undo step and delay fields.
#pragma once

#include <cstdint>
#include <string>

namespace vellograph {

// Reads text as a signed 32-bit integer: leading blanks, an optional sign,
// decimal digits, or "$"/"0x" hexadecimal taken as a 32-bit pattern of at most
// eight significant digits; nothing may follow. Anything else throws
// UserError("'<text>' is not a valid integer value").
std::int32_t StrToInt(const std::string& text);

} // namespace vellograph
