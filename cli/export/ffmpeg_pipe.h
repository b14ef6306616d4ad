// ffmpeg as a child process fed through a pipe, and the interrupt signals a
// run that writes through it obeys.
#pragma once

#include "engine/io/child_process.h"

#include <csignal>
#include <cstddef>
#include <string>
#include <vector>

namespace vellograph::cli {

// Thrown where work stops because SIGINT, SIGTERM or SIGHUP arrived; the
// command cleans up on the way out and then ends by the signal.
struct Interrupted {
    int signal;
};

// While it lives, SIGINT, SIGTERM and SIGHUP are noted instead of ending the
// process, and SIGPIPE is ignored so that a write to a child that quit fails
// with EPIPE. The previous actions come back with the destructor.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Throws Interrupted when a signal has arrived.
    static void check();
    // Ends the process by the signal with its default action.
    [[noreturn]] static void raiseDefault(int signal);

private:
    static constexpr int Count = 4;
    struct sigaction previous_[Count] {};
};

// One run of ffmpeg (found on PATH) with the given arguments: standard input
// a pipe the frames go down, standard error kept for the message that tells
// why it failed, standard output kept when asked (else /dev/null). extraInput,
// when not empty, is readable on descriptor 3 ("pipe:3"). Spawning throws a
// CliError when ffmpeg is missing or cannot run.
class FfmpegPipe {
public:
    FfmpegPipe(const std::vector<std::string>& args, bool keepOutput = false,
               const std::string& extraInput = {});

    // Writes every byte to ffmpeg's standard input. Throws a CliError with
    // ffmpeg's own reason when it stopped reading, and Interrupted on a
    // signal.
    void write(const void* data, std::size_t size);
    // Closes its input and waits for it to end; throws a CliError saying why
    // when it did not succeed.
    void finish();
    // Its standard output, when kept, once finish() returned.
    const std::string& output() const { return child_.output(); }

private:
    // A child still running when this goes is killed and reaped.
    fileio::ChildProcess child_;
};

} // namespace vellograph::cli
