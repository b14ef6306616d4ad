// Error reporting, argument and option parsing shared by the vellograph-cli commands.
#include "cli/cli_common.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>

namespace vellograph::cli {

void Fail(const std::string& message) {
    throw CliError(ExitFailure, message);
}
void UsageFail(const std::string& message) {
    throw CliError(ExitUsage, message);
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

bool EndsWithNoCase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    return std::equal(tail.begin(), tail.end(),
                      text.end() - static_cast<std::ptrdiff_t>(tail.size()),
                      [](char t, char c) { return t == static_cast<char>(c | 0x20); });
}

int RunCommand(const char* name, const char* usage, const Args& args, int (*body)(const Args&)) {
    for (const std::string& a : args) {
        if (a == "--") {
            break;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return ExitOk;
        }
    }
    // One form for every command: "vellograph-cli: message", and for a usage
    // error the command's name and where its usage is explained.
    auto tell = [&](int status, const char* message) {
        if (status == ExitUsage) {
            std::fprintf(stderr, "vellograph-cli: %s: %s (see 'vellograph-cli %s --help')\n", name,
                         message, name);
        } else {
            std::fprintf(stderr, "vellograph-cli: %s\n", message);
        }
        return status;
    };
    try {
        return body(args);
    } catch (const CliError& e) {
        return tell(e.status(), e.what());
    } catch (const std::bad_alloc&) {
        return tell(ExitFailure, "out of memory");
    }
}

bool ParsedArgs::has(std::string_view name) const {
    return value(name) != nullptr;
}

const std::string* ParsedArgs::value(std::string_view name) const {
    const std::string* found = nullptr;
    for (const auto& [key, text] : options) {
        if (key == name) {
            found = &text;
        }
    }
    return found;
}

ParsedArgs SplitArgs(const Args& args, const std::vector<std::string_view>& valueOptions,
                     const std::vector<std::string_view>& flags) {
    auto known = [](const std::vector<std::string_view>& names, std::string_view n) {
        return std::find(names.begin(), names.end(), n) != names.end();
    };
    ParsedArgs out;
    bool onlyPositional = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // A lone "-" and negative numbers are not options.
        const bool looksLikeOption = a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9');
        if (onlyPositional || !looksLikeOption) {
            out.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            onlyPositional = true;
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        if (known(flags, name)) {
            if (eq != std::string::npos) {
                UsageFail("option " + Quoted(name) + " takes no value");
            }
            out.options.emplace_back(name, std::string());
        } else if (known(valueOptions, name)) {
            if (eq != std::string::npos) {
                out.options.emplace_back(name, a.substr(eq + 1));
            } else if (i + 1 < args.size()) {
                out.options.emplace_back(name, args[++i]);
            } else {
                UsageFail("option " + Quoted(name) + " needs a value");
            }
        } else {
            UsageFail("unknown option " + Quoted(name));
        }
    }
    return out;
}

namespace {

[[noreturn]] void BadValue(std::string_view option, std::string_view text,
                           const std::string& expected) {
    UsageFail("bad " + std::string(option) + " " + Quoted(text) + ": want " + expected);
}

template <typename T> bool ReadWhole(std::string_view text, T& value) {
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1); // from_chars takes no plus sign
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

template <typename T>
bool ReadPair(std::string_view text, std::string_view separators, T& a, T& b) {
    const std::size_t at = text.find_first_of(separators);
    return at != std::string_view::npos && ReadWhole(text.substr(0, at), a) &&
           ReadWhole(text.substr(at + 1), b);
}

} // namespace

std::int64_t ParseInteger(std::string_view option, std::string_view text, std::int64_t min,
                          std::int64_t max) {
    std::int64_t v = 0;
    if (!ReadWhole(text, v) || v < min || v > max) {
        BadValue(option, text,
                 "a whole number from " + std::to_string(min) + " to " + std::to_string(max));
    }
    return v;
}

double ParsePositive(std::string_view option, std::string_view text) {
    double v = 0;
    if (!ReadWhole(text, v) || !std::isfinite(v) || v <= 0) {
        BadValue(option, text, "a number above 0");
    }
    return v;
}

double ParseNumber(std::string_view option, std::string_view text, double min, double max) {
    double v = 0;
    if (!ReadWhole(text, v) || !(v >= min && v <= max)) {
        char range[64];
        std::snprintf(range, sizeof range, "a number from %g to %g", min, max);
        BadValue(option, text, range);
    }
    return v;
}

std::vector<std::string_view> SurfaceOptionNames(std::initializer_list<std::string_view> more) {
    std::vector<std::string_view> names{"--size", "--origin", "--scale", "--angle"};
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

SurfaceOptions ReadSurfaceOptions(const ParsedArgs& parsed, const SurfaceLimits& limits) {
    SurfaceOptions s;
    if (const std::string* v = parsed.value("--size")) {
        int& w = s.width;
        int& h = s.height;
        if (!ReadPair(*v, "xX", w, h) || w < 1 || h < 1 || w > MaxSurfaceSide ||
            h > MaxSurfaceSide || std::int64_t{w} * h > limits.maxPixels) {
            std::string want = "WxH, each side 1 to " + std::to_string(MaxSurfaceSide);
            if (limits.maxPixels < std::int64_t{MaxSurfaceSide} * MaxSurfaceSide) {
                want += ", at most " + std::to_string(limits.maxPixels) + " pixels";
            }
            BadValue("--size", *v, want);
        }
    }
    if (const std::string* v = parsed.value("--origin")) {
        if (!ReadPair(*v, ",", s.view.OriginX, s.view.OriginY)) {
            BadValue("--origin", *v, "X,Y in whole pixels");
        }
    }
    if (const std::string* v = parsed.value("--scale")) {
        double& scale = s.view.Scale;
        if (!ReadWhole(*v, scale) || !std::isfinite(scale) || scale <= 0 ||
            (limits.maxScale > 0 && scale > limits.maxScale)) {
            std::string want = "a number above 0";
            if (limits.maxScale > 0) {
                want += ", at most " + std::to_string(static_cast<std::int64_t>(limits.maxScale));
            }
            BadValue("--scale", *v, want);
        }
    }
    if (const std::string* v = parsed.value("--angle")) {
        if (!ReadWhole(*v, s.view.Angle) || !std::isfinite(s.view.Angle)) {
            BadValue("--angle", *v, "a finite number of radians");
        }
    }
    return s;
}

} // namespace vellograph::cli
