// Reading drawings and writing pictures for the vellograph-cli commands.
#pragma once

#include "canvas.h"
#include "drawing.h"

#include <string>
#include <string_view>

namespace vellograph::cli {

// Reads a drawing without asking for write access, so that read-only files
// and files on read-only media can be looked at, and without any message.
// Records are cut exactly as LoadDrawing cuts them (a short last record is
// zero-padded). Throws a CliError (status 1) with one clear line when the
// path is missing, is a directory or another non-regular file, cannot be
// read, or is shorter than the 36-byte header and so cannot be a drawing.
void ReadDrawing(const std::string& path, TAVecImage& drawing);

// Refuses (status 1) to write an output over the input it was made from.
void RefuseToOverwrite(const std::string& input, const std::string& output);

// Writes the bytes to a new file beside the target, flushes it to the disk
// and renames it into place, so the target is either the old file or the
// whole new one. A symbolic link as target is followed. Throws a CliError
// (status 1) naming the path and the reason on any failure.
void WriteFileReplacing(const std::string& path, std::string_view bytes);

// Creates the directory when missing (its parent must exist); fails when the
// path exists and is not a directory.
void EnsureDirectory(const std::string& path);

// The canvas as a PNG file image (24-bit colour).
std::string EncodePng(const TCanvas& canvas);

} // namespace vellograph::cli
