// Pieces the vellograph-cli commands share: errors, options, reading drawings
// and writing outputs safely.
#pragma once

#include "cli/commands.h"
#include "engine/format/drawing.h"
#include "engine/io/replace_file.h"
#include "engine/playback/view.h"
#include "engine/raster/canvas.h"

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

// A path or value in a message, in single quotes.
std::string Quoted(std::string_view text);

// Whether the text ends in the lower-case ASCII tail, case aside.
bool EndsWithNoCase(std::string_view text, std::string_view tail);

// Runs a command body, turning CliError and running out of memory into one
// line on standard error, "vellograph-cli: message", or for a usage error
// "vellograph-cli: NAME: message (see 'vellograph-cli NAME --help')", and its
// status. "--help" or "-h" anywhere before "--" prints the usage to standard
// output instead. (The window's RunGuarded is another contract: it shows an
// error box and returns nothing.)
int RunCommand(const char* name, const char* usage, const Args& args, int (*body)(const Args&));

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
double ParsePositive(std::string_view option, std::string_view text); // finite, above 0
double ParseNumber(std::string_view option, std::string_view text, double min, double max);
std::int64_t ParseInteger(std::string_view option, std::string_view text, std::int64_t min,
                          std::int64_t max);

// The surface and the view a picture is made with.
inline constexpr int MaxSurfaceSide = 16384;
struct SurfaceOptions {
    int width = DefaultView.ExtentX;
    int height = DefaultView.ExtentY;
    TViewParams view = DefaultView;
};

// Tighter bounds a command may set on top of the sides' 16384.
struct SurfaceLimits {
    std::int64_t maxPixels = std::int64_t{MaxSurfaceSide} * MaxSurfaceSide;
    double maxScale = 0; // 0: any finite scale
};

// A surface of 2^27 pixels takes 512 MiB; the scale keeps pen widths and
// coordinates within what a surface can show.
inline constexpr SurfaceLimits PictureLimits{std::int64_t{1} << 27, 1000.0};
inline constexpr const char* PictureLimitsHelp =
    "at most 134217728 pixels in all, and a scale of at most 1000";

// The option names ReadSurfaceOptions reads, followed by a command's own.
std::vector<std::string_view> SurfaceOptionNames(std::initializer_list<std::string_view> more = {});
inline constexpr const char* SurfaceOptionsHelp =
    "  --size WxH     surface in pixels (default 1366x768, at most 16384 each way)\n"
    "  --origin X,Y   surface pixel where the drawing's point (0, 0) lands (default 0,0)\n"
    "  --scale S      surface pixels per drawing unit, above 0 (default 1)\n"
    "  --angle A      rotation in radians, counter-clockwise (default 0)\n";

SurfaceOptions ReadSurfaceOptions(const ParsedArgs& parsed, const SurfaceLimits& limits = {});

// Reading and writing, in cli_io.cpp.

// What ReadDrawing makes of a file shorter than the 36-byte header: the
// window (and so render) loads it like any other file, the export commands
// refuse it as no drawing.
enum class ShortFiles { Refused, Loaded };

// Loads a drawing with LoadDrawing, starting from a new drawing as the
// program does, without any message. Throws a CliError (status 1) with one
// clear line when the path is missing, is a directory or another non-regular
// file, is too short (if refused), or cannot be loaded.
// Why the file cannot be opened for reading, as the end of a "cannot read"
// message, or empty when it can.
std::string UnreadableReason(const std::string& path);
// What a load that failed on a readable file ran into.
inline constexpr const char* LoadFailureReason = "a read error, or too large to hold in memory";
// Why a file cannot be written at the path, as far as can be told beforehand.
std::string UnwritableReason(const std::string& path);

void ReadDrawing(const std::string& path, TAVecImage& drawing,
                 ShortFiles shortFiles = ShortFiles::Refused);

// Refuses to write an output over the input it was made from, with the
// given exit status.
void RefuseToOverwrite(const std::string& input, const std::string& output,
                       int status = ExitFailure);

// Writes the bytes to a new file beside the target, flushes it to the disk
// and renames it into place, so the target is either the old file or the
// whole new one (see TReplaceFile). Throws a CliError (status 1) with the
// "cannot write 'PATH': reason" on any failure.
void WriteFileReplacing(const std::string& path, std::string_view bytes);
// The same failure for a file an engine routine wrote.
void CheckWritten(const std::string& path, const TFileResult& result);

// Creates the directory when missing (its parent must exist); fails when the
// path exists and is not a directory.
void EnsureDirectory(const std::string& path);

// The canvas as a PNG file image (24-bit colour).
std::string EncodePng(const TCanvas& canvas);

} // namespace vellograph::cli
