// The error that ends an event handler and reaches the user in the error box.
#pragma once

#include <stdexcept>
#include <string>

namespace vellograph {

class UserError : public std::runtime_error {
public:
    explicit UserError(const std::string& text) : std::runtime_error(text) {}
};

} // namespace vellograph
