// A progress line on standard error for long exports.
#include "cli/export/progress.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace vellograph::cli {

namespace {

std::string Duration(double seconds) {
    const long long s = static_cast<long long>(seconds);
    char text[32];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", s / 60, s % 60);
    }
    return text;
}

} // namespace

Progress::Progress(std::int64_t total, bool quiet)
    : enabled_(!quiet && ::isatty(STDERR_FILENO) == 1), total_(std::max<std::int64_t>(total, 1)) {}

Progress::~Progress() {
    clear();
}

void Progress::update(std::int64_t done, const std::string& what) {
    const Clock::time_point now = Clock::now();
    if (!enabled_ || (shown_ && done < total_ && now - drawn_ < std::chrono::milliseconds(100))) {
        return;
    }
    drawn_ = now;
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::string left = "--:--";
    if (done > 0) {
        left = Duration(elapsed * static_cast<double>(total_ - done) / static_cast<double>(done));
    }
    // "\r" and erase-to-end-of-line redraw in place on any terminal.
    std::fprintf(stderr, "\r\033[K%s  %3d%%  %s elapsed, %s left", what.c_str(),
                 static_cast<int>(100 * std::clamp<std::int64_t>(done, 0, total_) / total_),
                 Duration(elapsed).c_str(), left.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void Progress::clear() {
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

} // namespace vellograph::cli
