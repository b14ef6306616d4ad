// ffmpeg as a child process fed through a pipe, and the interrupt signals.
#include "cli/export/ffmpeg_pipe.h"

#include "cli/cli_common.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vellograph::cli {

namespace {

volatile std::sig_atomic_t received = 0;

void Note(int signal) {
    received = signal;
}

constexpr int Handled[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

constexpr std::size_t MaxErrorText = 64 * 1024;
constexpr std::size_t MaxOutput = 1024 * 1024;
// Whole frames fit, so ffmpeg is woken once a frame rather than every 64 KiB.
constexpr int PipeBytes = 1024 * 1024;

// With 0, 1 or 2 closed a new pipe could take its number and be clobbered
// when the child's standard descriptors are laid out.
void OpenStandardDescriptors() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int opened = ::open("/dev/null", O_RDWR); // the lowest free number: fd
            if (opened > 2) {
                ::close(opened);
            }
        }
    }
}

void MakePipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        Fail(std::string("cannot make a pipe to ffmpeg: ") + std::strerror(errno));
    }
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// The line that tells why, without the "[component @ 0x...] " prefix.
std::string FirstLine(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.size() > 1 && line[0] == '[') {
            const std::size_t close = line.find("] ");
            if (close != std::string::npos && line.find(" @ ") < close) {
                line.erase(0, close + 2);
            }
        }
        while (!line.empty() && (line.back() == ' ' || line.back() == '-')) {
            line.pop_back();
        }
        if (!line.empty()) {
            return line;
        }
    }
    return {};
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
                       const std::string& extraInput) {
    OpenStandardDescriptors();
    int in[2], err[2], out[2] = {-1, -1}, extra[2] = {-1, -1};
    MakePipe(in);
    MakePipe(err);
    if (keepOutput) {
        MakePipe(out);
    }
    if (!extraInput.empty()) {
        MakePipe(extra);
        // Small enough for the pipe to hold it all before ffmpeg starts.
        const bool written = ::write(extra[1], extraInput.data(), extraInput.size()) ==
                             static_cast<ssize_t>(extraInput.size());
        ::close(extra[1]);
        if (!written) {
            Fail("cannot hand ffmpeg its second input");
        }
    }
    (void)::fcntl(in[1], F_SETPIPE_SZ, PipeBytes); // a smaller pipe only costs time
    ::fcntl(in[1], F_SETFL, O_NONBLOCK);
    ::fcntl(err[0], F_SETFL, O_NONBLOCK);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    if (keepOutput) {
        ::fcntl(out[0], F_SETFL, O_NONBLOCK);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    } else {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    if (extra[0] >= 0) {
        posix_spawn_file_actions_adddup2(&actions, extra[0], 3);
    }
    // The child starts with default actions for what this process ignores
    // or catches, and with no signal blocked.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int s : Handled) {
        sigaddset(&defaults, s);
    }
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> words{"ffmpeg"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    const int spawned =
        ::posix_spawnp(&pid_, "ffmpeg", &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    for (int fd : {in[0], err[1], out[1], extra[0]}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    in_ = in[1];
    err_ = err[0];
    out_ = out[0];
    if (spawned != 0) {
        pid_ = -1;
        CloseFd(in_);
        CloseFd(err_);
        CloseFd(out_);
        if (spawned == ENOENT) {
            Fail("ffmpeg, which makes the video, is not installed or not on PATH (Debian: apt "
                 "install ffmpeg)");
        }
        Fail(std::string("cannot run ffmpeg: ") + std::strerror(spawned));
    }
}

FfmpegPipe::~FfmpegPipe() {
    CloseFd(in_);
    CloseFd(err_);
    CloseFd(out_);
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

void FfmpegPipe::write(const void* data, std::size_t size) {
    exchange(static_cast<const char*>(data), size);
    if (in_ < 0) {
        fail();
    }
}

void FfmpegPipe::finish() {
    closeInput();
    exchange(nullptr, 0);
    while (pid_ > 0) {
        if (::waitpid(pid_, &status_, 0) == pid_) {
            pid_ = -1;
        } else if (errno == EINTR) {
            InterruptGuard::check();
        } else {
            Fail(std::string("cannot wait for ffmpeg: ") + std::strerror(errno));
        }
    }
    if (!WIFEXITED(status_) || WEXITSTATUS(status_) != 0) {
        Fail(reason());
    }
}

void FfmpegPipe::exchange(const char* data, std::size_t size) {
    char buffer[4096];
    for (;;) {
        InterruptGuard::check();
        const bool writing = in_ >= 0 && size > 0;
        if (data != nullptr ? !writing : err_ < 0 && out_ < 0) {
            return;
        }
        pollfd fds[3];
        nfds_t n = 0;
        if (writing) {
            fds[n++] = {in_, POLLOUT, 0};
        }
        int* readers[2] = {&err_, &out_};
        for (int* fd : readers) {
            if (*fd >= 0) {
                fds[n++] = {*fd, POLLIN, 0};
            }
        }
        if (::poll(fds, n, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail(std::string("cannot wait on ffmpeg: ") + std::strerror(errno));
        }
        for (nfds_t i = 0; i < n; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            if (fds[i].fd == in_) {
                const ssize_t put = ::write(in_, data, size);
                if (put > 0) {
                    data += put;
                    size -= static_cast<std::size_t>(put);
                } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
                    closeInput(); // EPIPE: ffmpeg is gone or stopped reading
                }
                continue;
            }
            int& fd = fds[i].fd == err_ ? err_ : out_;
            std::string& kept = &fd == &err_ ? errors_ : output_;
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                const std::size_t room = (&fd == &err_ ? MaxErrorText : MaxOutput) - kept.size();
                kept.append(buffer, std::min(room, static_cast<std::size_t>(got)));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                CloseFd(fd);
            }
        }
    }
}

void FfmpegPipe::closeInput() {
    CloseFd(in_);
}

void FfmpegPipe::fail() {
    finish();
    Fail("ffmpeg stopped reading the frames before the last one");
}

std::string FfmpegPipe::reason() const {
    if (WIFSIGNALED(status_)) {
        return "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status_)) + " (" +
               strsignal(WTERMSIG(status_)) + ")";
    }
    const std::string line = FirstLine(errors_);
    if (line.empty()) {
        return "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status_));
    }
    return "ffmpeg failed: " + line;
}

} // namespace vellograph::cli
