// ffmpeg as a child process fed through a pipe, and the interrupt signals.
#include "cli/export/ffmpeg_pipe.h"

#include "cli/cli_common.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vellograph::cli {

namespace {

volatile std::sig_atomic_t received = 0;

void Note(int signal) {
    received = signal;
}

constexpr int Handled[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Whole frames fit, so ffmpeg is woken once a frame rather than every 64 KiB.
constexpr int PipeBytes = 1024 * 1024;

fileio::ChildOptions FfmpegRun(const std::vector<std::string>& args, bool keepOutput,
                               const std::string& extraInput) {
    fileio::ChildOptions o;
    o.argv = {"ffmpeg"};
    o.argv.insert(o.argv.end(), args.begin(), args.end());
    o.searchPath = true;
    o.feedInput = true;
    o.inputPipeBytes = PipeBytes;
    o.keepOutput = keepOutput;
    o.extraInput = extraInput;
    return o;
}

} // namespace

InterruptGuard::InterruptGuard() {
    received = 0;
    for (int i = 0; i < Count; ++i) {
        struct sigaction action {};
        action.sa_handler = Handled[i] == SIGPIPE ? SIG_IGN : Note;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a wait in poll() or waitpid() returns to look.
        ::sigaction(Handled[i], &action, &previous_[i]);
    }
}

InterruptGuard::~InterruptGuard() {
    for (int i = 0; i < Count; ++i) {
        ::sigaction(Handled[i], &previous_[i], nullptr);
    }
}

void InterruptGuard::check() {
    if (received != 0) {
        throw Interrupted{received};
    }
}

void InterruptGuard::raiseDefault(int signal) {
    std::signal(signal, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    std::raise(signal);
    std::_Exit(128 + signal);
}

FfmpegPipe::FfmpegPipe(const std::vector<std::string>& args, bool keepOutput,
                       const std::string& extraInput)
    : child_(FfmpegRun(args, keepOutput, extraInput)) {
    if (child_.startError() == ENOENT) {
        Fail("ffmpeg, which makes the video, is not installed or not on PATH (Debian: apt "
             "install ffmpeg)");
    }
    if (child_.startError() != 0) {
        Fail(std::string("cannot run ffmpeg: ") + std::strerror(child_.startError()));
    }
}

void FfmpegPipe::write(const void* data, std::size_t size) {
    if (!child_.write(data, size, InterruptGuard::check)) {
        finish(); // its own reason, when it failed
        Fail("ffmpeg stopped reading the frames before the last one");
    }
}

void FfmpegPipe::finish() {
    const fileio::ChildEnding ending = child_.wait(-1, InterruptGuard::check);
    if (ending.succeeded()) {
        return;
    }
    // ffmpeg's own words first: they say what to change.
    if (ending.how == fileio::ChildEnding::How::Exited && !ending.errorLine.empty()) {
        Fail("ffmpeg failed: " + ending.errorLine);
    }
    Fail("ffmpeg " + ending.describe());
}

} // namespace vellograph::cli
