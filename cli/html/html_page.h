// The HTML player page: the embedded player with a drawing and its view.
#pragma once

#include "cli/cli_common.h"
#include "engine/format/drawing.h"
#include "engine/playback/view.h"

#include <cstdint>
#include <string>

namespace vellograph::cli {

// A page holds the records compressed in base64, and the browser holds them
// again in the engine's memory: beyond this many, pages grow past what
// browsers open comfortably (some 40 MB of text and 120 MB of records).
inline constexpr std::int64_t MaxPageRecords = 20'000'000;

// The canvas and its copies live in the page's 2 GB of WebAssembly memory.
inline constexpr SurfaceLimits PageLimits{std::int64_t{1} << 26, 1000.0};
inline constexpr const char* PageLimitsHelp =
    "at most 67108864 pixels in all, and a scale of at most 1000";

struct PageSettings {
    int width = DefaultView.ExtentX;
    int height = DefaultView.ExtentY;
    TViewParams view = DefaultView;
    std::string title; // the drawing's path; the page shows its file name
};

// Whether this build embeds the player's WebAssembly.
bool HasPlayer();

// The whole page for records 0..LastIndex of the drawing.
std::string WritePage(const TAVecImage& drawing, const PageSettings& settings);

} // namespace vellograph::cli
