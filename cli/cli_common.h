// Pieces the vellograph-cli commands share: errors, options, reading drawings
// and writing outputs safely.
#pragma once

#include "canvas.h"
#include "commands.h"
#include "drawing.h"
#include "view.h"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellograph::cli {

// Ends a command: the message becomes one line on standard error and the
// status the exit status.
class CliError : public std::runtime_error {
public:
    CliError(int status, const std::string& message)
        : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

[[noreturn]] void Fail(const std::string& message);      // exit status 1
[[noreturn]] void UsageFail(const std::string& message); // exit status 2

// Runs a command body, turning CliError and running out of memory into the
// line "vellograph-cli NAME: message" and its status. "--help" or "-h"
// anywhere prints the usage to standard output instead.
int RunGuarded(const char* name, const char* usage, const Args& args, int (*body)(const Args&));

// The arguments split into positional ones and options. Options take the
// forms "--name value" and "--name=value"; "--" makes the rest positional.
struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options; // in the order given

    bool has(std::string_view name) const;
    // The value given last, or nullptr when the option is absent.
    const std::string* value(std::string_view name) const;
};

// Unknown options and missing values are usage errors. Flags take no value.
ParsedArgs SplitArgs(const Args& args, const std::vector<std::string_view>& valueOptions,
                     const std::vector<std::string_view>& flags = {});

// Each parser throws a usage error naming the option when the text is not a
// whole, sensible value. Numbers are read the same way in every locale.
inline constexpr int MaxSurfaceSide = 16384;
std::pair<int, int> ParseSize(std::string_view option, std::string_view text); // "WxH"
TPoint ParsePoint(std::string_view option, std::string_view text);             // "X,Y"
double ParsePositive(std::string_view option, std::string_view text);          // finite, above 0
double ParseFinite(std::string_view option, std::string_view text);
std::int64_t ParseInteger(std::string_view option, std::string_view text, std::int64_t min,
                          std::int64_t max);

// The surface and the view a picture is made with.
struct SurfaceOptions {
    int width = DefaultView.ExtentX;
    int height = DefaultView.ExtentY;
    TViewParams view = DefaultView;
};

// The option names ReadSurfaceOptions reads, followed by a command's own.
std::vector<std::string_view> SurfaceOptionNames(std::initializer_list<std::string_view> more = {});
inline constexpr const char* SurfaceOptionsHelp =
    "  --size WxH     surface in pixels (default 1366x768, at most 16384 each way)\n"
    "  --origin X,Y   surface pixel where the drawing's point (0, 0) lands (default 0,0)\n"
    "  --scale S      surface pixels per drawing unit, above 0 (default 1)\n"
    "  --angle A      rotation in radians, counter-clockwise (default 0)\n";

SurfaceOptions ReadSurfaceOptions(const ParsedArgs& parsed);

// Reading and writing, in cli_io.cpp.

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
