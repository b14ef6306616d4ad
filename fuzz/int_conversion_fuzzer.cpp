// Fuzz target: arbitrary text read as the undo step or delay field.
#include "engine/io/error.h"
#include "window/panels/int_conversion.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const std::int32_t value = vellograph::StrToInt(text);
        // A value read back must read the same again in its decimal form.
        if (vellograph::StrToInt(std::to_string(value)) != value) {
            std::abort();
        }
    } catch (const vellograph::UserError& e) {
        // what() is a C string: it ends at the first NUL of the entered text.
        const std::string expected = "'" + text + "' is not a valid integer value";
        if (std::string(e.what()) != expected.substr(0, expected.find('\0'))) {
            std::abort();
        }
    }
    return 0;
}
