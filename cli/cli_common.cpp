// Argument and option parsing shared by the vellograph-cli commands.
#include "cli_common.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <tuple>

namespace vellograph::cli {

void Fail(const std::string& message) {
    throw CliError(ExitFailure, message);
}
void UsageFail(const std::string& message) {
    throw CliError(ExitUsage, message);
}

int RunGuarded(const char* name, const char* usage, const Args& args, int (*body)(const Args&)) {
    for (const std::string& a : args) {
        if (a == "--") {
            break;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return ExitOk;
        }
    }
    try {
        return body(args);
    } catch (const CliError& e) {
        std::fprintf(stderr, "vellograph-cli %s: %s\n", name, e.what());
        if (e.status() == ExitUsage) {
            std::fputs(usage, stderr);
        }
        return e.status();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vellograph-cli %s: out of memory\n", name);
        return ExitFailure;
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
                UsageFail("option " + name + " takes no value");
            }
            out.options.emplace_back(name, std::string());
        } else if (known(valueOptions, name)) {
            if (eq != std::string::npos) {
                out.options.emplace_back(name, a.substr(eq + 1));
            } else if (i + 1 < args.size()) {
                out.options.emplace_back(name, args[++i]);
            } else {
                UsageFail("option " + name + " needs a value");
            }
        } else {
            UsageFail("unknown option " + name);
        }
    }
    return out;
}

namespace {

[[noreturn]] void BadValue(std::string_view option, std::string_view text, const char* expected) {
    UsageFail(std::string(option) + ": '" + std::string(text) + "' is not " + expected);
}

template <typename T> bool ReadWhole(std::string_view text, T& value) {
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1); // from_chars takes no plus sign
    }
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

} // namespace

std::int64_t ParseInteger(std::string_view option, std::string_view text, std::int64_t min,
                          std::int64_t max) {
    std::int64_t v = 0;
    if (!ReadWhole(text, v) || v < min || v > max) {
        const std::string range =
            "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
        BadValue(option, text, range.c_str());
    }
    return v;
}

double ParseFinite(std::string_view option, std::string_view text) {
    double v = 0;
    if (!ReadWhole(text, v) || !std::isfinite(v)) {
        BadValue(option, text, "a finite number");
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

std::pair<int, int> ParseSize(std::string_view option, std::string_view text) {
    const std::size_t x = text.find_first_of("xX");
    int w = 0, h = 0;
    if (x == std::string_view::npos || !ReadWhole(text.substr(0, x), w) ||
        !ReadWhole(text.substr(x + 1), h) || w < 1 || h < 1 || w > MaxSurfaceSide ||
        h > MaxSurfaceSide) {
        BadValue(option, text, "a size WxH from 1x1 to 16384x16384");
    }
    return {w, h};
}

TPoint ParsePoint(std::string_view option, std::string_view text) {
    const std::size_t comma = text.find(',');
    std::int32_t x = 0, y = 0;
    if (comma == std::string_view::npos || !ReadWhole(text.substr(0, comma), x) ||
        !ReadWhole(text.substr(comma + 1), y)) {
        BadValue(option, text, "a point X,Y of whole numbers");
    }
    return {x, y};
}

std::vector<std::string_view> SurfaceOptionNames(std::initializer_list<std::string_view> more) {
    std::vector<std::string_view> names{"--size", "--origin", "--scale", "--angle"};
    names.insert(names.end(), more.begin(), more.end());
    return names;
}

SurfaceOptions ReadSurfaceOptions(const ParsedArgs& parsed) {
    SurfaceOptions s;
    if (const std::string* v = parsed.value("--size")) {
        std::tie(s.width, s.height) = ParseSize("--size", *v);
    }
    if (const std::string* v = parsed.value("--origin")) {
        const TPoint p = ParsePoint("--origin", *v);
        s.view.OriginX = p.x;
        s.view.OriginY = p.y;
    }
    if (const std::string* v = parsed.value("--scale")) {
        s.view.Scale = ParsePositive("--scale", *v);
    }
    if (const std::string* v = parsed.value("--angle")) {
        s.view.Angle = ParseFinite("--angle", *v);
    }
    return s;
}

} // namespace vellograph::cli
