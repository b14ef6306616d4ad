// The HTML player's parts, embedded at build time (player_assets.cpp is generated).
#pragma once

#include <string_view>

namespace vellograph::cli {

extern const std::string_view PlayerPage;   // player.html, with its placeholders
extern const std::string_view PlayerScript; // player.js
extern const std::string_view PlayerWasm;   // the engine; empty in a build without it

} // namespace vellograph::cli
