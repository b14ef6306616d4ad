// A progress line on standard error for long exports.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace vellograph::cli {

// Shows "what, percent, elapsed, time left" on one line of standard error,
// redrawn in place at most ten times a second, and clears it at the end.
// Nothing at all is written when standard error is no terminal or when the
// user asked for quiet.
class Progress {
public:
    Progress(std::int64_t total, bool quiet);
    // Clears the line, also when the work ends in an error.
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `done` of the total units are finished; `what` says where the work is.
    void update(std::int64_t done, const std::string& what);
    void clear();

private:
    using Clock = std::chrono::steady_clock;
    bool shown_ = false;
    bool enabled_;
    std::int64_t total_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point drawn_{};
};

} // namespace vellograph::cli
