// The whole-number reading of the undo step and delay fields.
#include "window/panels/int_conversion.h"

#include "engine/io/error.h"

#include <cstddef>

namespace vellograph {

namespace {

[[noreturn]] void Invalid(const std::string& text) {
    throw UserError("'" + text + "' is not a valid integer value");
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::int32_t StrToInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= text.size()) {
        Invalid(text);
    }
    if (hex) {
        std::uint32_t pattern = 0;
        int significant = 0;
        for (; i < text.size(); ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0) {
                Invalid(text);
            }
            if (significant > 0 || d != 0) {
                if (++significant > 8) {
                    Invalid(text);
                }
            }
            pattern = pattern * 16 + static_cast<std::uint32_t>(d);
        }
        // The sign applies to the 32-bit pattern, modulo 2^32.
        return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            Invalid(text);
        }
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) {
            Invalid(text);
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX || value < INT32_MIN) {
        Invalid(text);
    }
    return static_cast<std::int32_t>(value);
}

} // namespace vellograph
