// Argument and option parsing shared by the vellograph-cli commands.
#pragma once

#include "commands.h"
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

} // namespace vellograph::cli
