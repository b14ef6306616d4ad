// Child processes through posix_spawn: their pipes, the deadline and the ending.
#include "engine/io/child_process.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vellograph::fileio {

namespace {

constexpr std::size_t MaxErrorText = 64 * 1024;
constexpr std::size_t MaxOutput = 1024 * 1024;
// Short waits while the child runs: it may end while a child of its own
// keeps the pipes open, and only the ending counts.
constexpr int SliceMs = 10;

struct Pipe {
    UniqueFd read, write;
};

// Both ends above the descriptors the child is given (0 to 3), so that
// laying those out never overwrites an end still to be laid out. Returns 0
// or the errno.
int MakePipe(Pipe& pipe) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return errno;
    }
    pipe.read.reset(fds[0]);
    pipe.write.reset(fds[1]);
    for (UniqueFd* end : {&pipe.read, &pipe.write}) {
        if (end->get() <= 3) {
            const int moved = ::fcntl(end->get(), F_DUPFD_CLOEXEC, 4);
            if (moved < 0) {
                return errno;
            }
            end->reset(moved);
        }
    }
    return 0;
}

void SetNonBlocking(const UniqueFd& fd) {
    if (fd) {
        ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) | O_NONBLOCK);
    }
}

// A write to a child that quit fails with EPIPE instead of ending this
// process by SIGPIPE, whatever the process does with that signal.
ssize_t WriteWithoutSigpipe(int fd, const void* data, std::size_t size) {
    sigset_t pipeSignal, pending, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const ssize_t put = ::write(fd, data, size);
    const int error = errno;
    if (put < 0 && error == EPIPE && !alreadyPending) {
        const timespec now{};
        while (sigtimedwait(&pipeSignal, nullptr, &now) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = error;
    return put;
}

struct SpawnParts {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    SpawnParts() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnParts() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnParts(const SpawnParts&) = delete;
    SpawnParts& operator=(const SpawnParts&) = delete;
};

std::vector<char*> Pointers(const std::vector<std::string>& words) {
    std::vector<char*> out;
    for (const std::string& w : words) {
        out.push_back(const_cast<char*>(w.c_str()));
    }
    out.push_back(nullptr);
    return out;
}

// 0 when the program can be run, or why not. posix_spawn tells a missing
// program by its result only where the C library sees the exec fail; under
// qemu-user, for one, the child just exits with 127. Looked up first, it is
// reported the same way everywhere.
int ProgramError(const std::string& program, bool searchPath) {
    if (!searchPath || program.find('/') != std::string::npos) {
        return ::access(program.c_str(), X_OK) == 0 ? 0 : errno;
    }
    const char* path = std::getenv("PATH"); // the one posix_spawnp searches
    const std::string dirs = path ? path : "/bin:/usr/bin";
    int error = ENOENT;
    for (std::size_t from = 0; from <= dirs.size();) {
        const std::size_t colon = std::min(dirs.find(':', from), dirs.size());
        const std::string dir = colon == from ? "." : dirs.substr(from, colon - from);
        if (::access((dir + "/" + program).c_str(), X_OK) == 0) {
            return 0;
        }
        error = errno == EACCES ? EACCES : error;
        from = colon + 1;
    }
    return error;
}

// Returns 0 or the errno. Every end the child does not get is closed on the
// way out, whatever failed.
int Spawn(const ChildOptions& o, pid_t& pid, UniqueFd& in, UniqueFd& err, UniqueFd& out) {
    if (o.argv.empty() || o.argv[0].empty()) {
        return ENOENT;
    }
    if (const int error = ProgramError(o.argv[0], o.searchPath)) {
        return error;
    }
    Pipe input, errors, output, extra;
    int rc = o.feedInput ? MakePipe(input) : 0;
    rc = rc ? rc : MakePipe(errors);
    rc = rc ? rc : o.keepOutput ? MakePipe(output) : 0;
    rc = rc ? rc : o.extraInput.empty() ? 0 : MakePipe(extra);
    if (rc != 0) {
        return rc;
    }
    if (!o.extraInput.empty()) {
        SetNonBlocking(extra.write);
        const ssize_t put = ::write(extra.write.get(), o.extraInput.data(), o.extraInput.size());
        if (put != static_cast<ssize_t>(o.extraInput.size())) {
            return put < 0 ? errno : EMSGSIZE;
        }
        extra.write.reset();
    }
    if (o.feedInput && o.inputPipeBytes > 0) {
        (void)::fcntl(input.write.get(), F_SETPIPE_SZ, o.inputPipeBytes);
    }

    SpawnParts parts;
    posix_spawn_file_actions_t* a = &parts.actions;
    rc = o.feedInput ? posix_spawn_file_actions_adddup2(a, input.read.get(), 0)
                     : posix_spawn_file_actions_addopen(a, 0, "/dev/null", O_RDONLY, 0);
    rc = rc             ? rc
         : o.keepOutput ? posix_spawn_file_actions_adddup2(a, output.write.get(), 1)
                        : posix_spawn_file_actions_addopen(a, 1, "/dev/null", O_WRONLY, 0);
    rc = rc ? rc : posix_spawn_file_actions_adddup2(a, errors.write.get(), 2);
    rc = rc ? rc : extra.read ? posix_spawn_file_actions_adddup2(a, extra.read.get(), 3) : 0;
    // What this process ignores, catches or blocks is no business of the child.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    rc = rc ? rc : posix_spawnattr_setsigdefault(&parts.attributes, &all);
    rc = rc ? rc : posix_spawnattr_setsigmask(&parts.attributes, &none);
    rc = rc ? rc
            : posix_spawnattr_setflags(&parts.attributes,
                                       POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    if (rc != 0) {
        return rc;
    }
    const std::vector<char*> argv = Pointers(o.argv);
    const std::vector<char*> envp = o.environment ? Pointers(*o.environment) : std::vector<char*>{};
    char* const* env = o.environment ? envp.data() : environ;
    rc = o.searchPath ? posix_spawnp(&pid, argv[0], a, &parts.attributes, argv.data(), env)
                      : posix_spawn(&pid, argv[0], a, &parts.attributes, argv.data(), env);
    if (rc != 0) {
        pid = -1;
        return rc;
    }
    in = std::move(input.write);
    err = std::move(errors.read);
    out = std::move(output.read);
    SetNonBlocking(in);
    SetNonBlocking(err);
    SetNonBlocking(out);
    return 0;
}

} // namespace

ChildProcess::ChildProcess(const ChildOptions& options) {
    startError_ = Spawn(options, pid_, in_, err_, out_);
    ending_ = {ChildEnding::How::NotStarted, startError_, {}};
}

ChildProcess::~ChildProcess() {
    in_.reset();
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
}

bool ChildProcess::write(const void* data, std::size_t size,
                         const std::function<void()>& eachPass) {
    const char* at = static_cast<const char*>(data);
    while (in_ && size > 0) {
        if (eachPass) {
            eachPass();
        }
        exchange(at, size, -1);
    }
    return size == 0;
}

ChildEnding ChildProcess::wait(int timeoutMs, const std::function<void()>& eachPass) {
    in_.reset();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const char* none = nullptr;
    std::size_t nothing = 0;
    while (pid_ > 0) {
        if (eachPass) {
            eachPass();
        }
        int status = 0;
        const pid_t done = ::waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            ending_.how =
                WIFEXITED(status) ? ChildEnding::How::Exited : ChildEnding::How::Signalled;
            ending_.code = WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status);
            pid_ = -1;
        } else if (done < 0 && errno != EINTR) {
            ending_ = {ChildEnding::How::Lost, errno, {}};
            pid_ = -1;
        } else if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
            }
            ending_ = {ChildEnding::How::TimedOut, timeoutMs, {}};
            pid_ = -1;
        } else {
            exchange(none, nothing, SliceMs);
        }
    }
    // What it wrote before it ended is still in the pipes; a child of its
    // own that holds them open is not waited for.
    while (err_ && read(err_, errors_, MaxErrorText)) {
    }
    while (out_ && read(out_, output_, MaxOutput)) {
    }
    err_.reset();
    out_.reset();
    ending_.errorLine = FirstMessageLine(errors_);
    return ending_;
}

void ChildProcess::exchange(const char*& data, std::size_t& size, int timeoutMs) {
    pollfd fds[3];
    nfds_t n = 0;
    if (in_ && size > 0) {
        fds[n++] = {in_.get(), POLLOUT, 0};
    }
    for (const UniqueFd* fd : {&err_, &out_}) {
        if (*fd) {
            fds[n++] = {fd->get(), POLLIN, 0};
        }
    }
    if (n == 0 && timeoutMs < 0) {
        return;
    }
    if (::poll(fds, n, timeoutMs) <= 0) {
        return; // the time is up, or a signal: the caller looks and comes back
    }
    for (nfds_t i = 0; i < n; ++i) {
        if (fds[i].revents == 0) {
            continue;
        }
        if (fds[i].fd == in_.get()) {
            const ssize_t put = WriteWithoutSigpipe(in_.get(), data, size);
            if (put > 0) {
                data += put;
                size -= static_cast<std::size_t>(put);
            } else if (put < 0 && errno != EAGAIN && errno != EINTR) {
                in_.reset(); // EPIPE: it is gone or stopped reading
            }
        } else if (fds[i].fd == err_.get()) {
            read(err_, errors_, MaxErrorText);
        } else {
            read(out_, output_, MaxOutput);
        }
    }
}

bool ChildProcess::read(UniqueFd& fd, std::string& kept, std::size_t limit) {
    char buffer[16384];
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got > 0) {
        kept.append(buffer, std::min(limit - kept.size(), static_cast<std::size_t>(got)));
        return true;
    }
    if (got < 0 && errno == EINTR) {
        return true;
    }
    if (got == 0 || errno != EAGAIN) {
        fd.reset();
    }
    return false;
}

} // namespace vellograph::fileio
