// Writing the canvas as a 24-bit Windows bitmap file.
#pragma once

#include "engine/io/replace_file.h"
#include "engine/raster/canvas.h"

#include <string>

namespace vellograph {

// Writes the whole canvas as a bottom-up 24-bit BMP (BITMAPFILEHEADER and
// BITMAPINFOHEADER, rows padded to 4 bytes) under fileName, whatever its
// extension. The file is written beside the target and renamed into place:
// on failure nothing is left behind and an existing file is untouched.
TFileResult SaveBitmapFile(const TCanvas& canvas, const std::string& fileName);

// The text the user sees when a bitmap cannot be written.
std::string CannotCreateFileText(const std::string& fileName, const std::string& reason);

} // namespace vellograph
