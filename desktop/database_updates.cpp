// The desktop's databases brought up to date on a thread of their own.
#include "desktop/database_updates.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace vellograph {
namespace {

struct Job {
    DatabaseUpdate update;
    std::vector<std::string> environment;
};

bool SameWork(const Job& a, const Job& b) {
    const auto sameRun = [](const ToolRun& x, const ToolRun& y) {
        return x.name == y.name && x.program == y.program && x.args == y.args;
    };
    return a.update.touchAfter == b.update.touchAfter && a.update.timeoutMs == b.update.timeoutMs &&
           a.environment == b.environment &&
           std::equal(a.update.runs.begin(), a.update.runs.end(), b.update.runs.begin(),
                      b.update.runs.end(), sameRun);
}

// The first line the tool wrote to its standard error, for the message.
std::string FirstLine(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ') {
            line.pop_back();
        }
        if (!line.empty()) {
            return line.size() > 300 ? line.substr(0, 300) + "..." : line;
        }
    }
    return {};
}

// Runs the tool directly (no shell), its standard error kept for the
// message; empty when it ran and exited with status 0, else why not.
std::string RunTool(const ToolRun& run, const std::vector<std::string>& environment,
                    int timeoutMs) {
    if (run.program.empty()) {
        return "is not installed";
    }
    std::vector<char*> argv{const_cast<char*>(run.program.c_str())};
    for (const std::string& arg : run.args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : environment) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    envp.push_back(nullptr);

    int errPipe[2];
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        return std::string("could not be started: ") + std::strerror(errno);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, run.program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(errPipe[1]);
    if (spawned != 0) {
        close(errPipe[0]);
        return std::string("could not be started: ") + std::strerror(spawned);
    }

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string errors;
    int errFd = errPipe[0];
    int status = 0;
    for (;;) {
        // Short waits: the tool may end while a child of its own keeps the pipe open.
        pollfd watched{errFd, POLLIN, 0};
        if (poll(&watched, errFd >= 0 ? 1 : 0, 10) > 0) {
            char buffer[4096];
            const ssize_t n = read(errFd, buffer, sizeof buffer);
            if (n > 0 && errors.size() < 65536) {
                errors.append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) {
                close(errFd);
                errFd = -1;
            }
        }
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            status = -1;
            break;
        }
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (errFd >= 0) {
                close(errFd);
            }
            return "did not finish in " + std::to_string(timeoutMs / 1000) + " s";
        }
    }
    if (errFd >= 0) {
        close(errFd);
    }
    std::string reason;
    if (status == -1) {
        reason = "could not be waited for";
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return {};
    } else if (WIFEXITED(status)) {
        reason = "ended with status " + std::to_string(WEXITSTATUS(status));
    } else {
        reason = "was ended by signal " + std::to_string(WTERMSIG(status));
    }
    const std::string said = FirstLine(errors);
    return said.empty() ? reason : reason + ": " + said;
}

std::string RunUpdate(const Job& job) {
    std::string message;
    for (const ToolRun& run : job.update.runs) {
        const std::string why = RunTool(run, job.environment, job.update.timeoutMs);
        if (!why.empty()) {
            const std::string folder = run.args.empty() ? run.program : run.args.back();
            message += (message.empty() ? "" : "\n") + std::string("Failed to update '") + folder +
                       "': " + run.name + " " + why;
        }
    }
    if (!job.update.touchAfter.empty()) {
        utimensat(AT_FDCWD, job.update.touchAfter.c_str(), nullptr, 0);
    }
    return message;
}

class Updates {
public:
    ~Updates() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wakeWorker_.notify_all();
        // What the user asked for is finished before the process ends.
        if (worker_.joinable()) {
            worker_.join();
        }
    }

    void post(DatabaseUpdate update) {
        Job job{std::move(update), {}};
        for (char** entry = environ; *entry != nullptr; ++entry) {
            job.environment.emplace_back(*entry);
        }
        const std::lock_guard lock(mutex_);
        const auto same = std::find_if(waiting_.begin(), waiting_.end(),
                                       [&](const Job& w) { return SameWork(w, job); });
        if (same != waiting_.end()) {
            same->update.reportFailure |= job.update.reportFailure;
            return;
        }
        waiting_.push_back(std::move(job));
        if (!worker_.joinable()) {
            worker_ = std::thread([this] { work(); });
        }
        wakeWorker_.notify_one();
    }

    void waitUntilIdle() {
        std::unique_lock lock(mutex_);
        idle_.wait(lock, [this] { return waiting_.empty() && !running_; });
    }

    std::vector<std::string> takeFailures() {
        const std::lock_guard lock(mutex_);
        return std::exchange(failures_, {});
    }

    void listen(std::function<void()>* wake) {
        const std::lock_guard lock(listenerMutex_);
        listeners_.push_back(wake);
    }
    void stopListening(std::function<void()>* wake) {
        const std::lock_guard lock(listenerMutex_);
        listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), wake), listeners_.end());
    }

private:
    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wakeWorker_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            if (waiting_.empty()) {
                return; // stopping, with nothing left to do
            }
            const Job job = std::move(waiting_.front());
            waiting_.pop_front();
            running_ = true;
            lock.unlock();
            const std::string failure = RunUpdate(job);
            if (!failure.empty() && job.update.reportFailure) {
                {
                    const std::lock_guard added(mutex_);
                    failures_.push_back(failure);
                }
                const std::lock_guard called(listenerMutex_);
                if (!listeners_.empty()) {
                    (*listeners_.back())();
                }
            }
            lock.lock();
            running_ = false;
            if (waiting_.empty()) {
                idle_.notify_all();
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wakeWorker_;
    std::condition_variable idle_;
    std::deque<Job> waiting_;
    bool running_ = false;
    bool stopping_ = false;
    std::vector<std::string> failures_;
    std::thread worker_;
    // Its own lock, so that a listener going away never waits for a tool.
    std::mutex listenerMutex_;
    std::vector<std::function<void()>*> listeners_;
};

Updates& TheUpdates() {
    static Updates updates;
    return updates;
}

} // namespace

void PostDatabaseUpdate(DatabaseUpdate update) {
    TheUpdates().post(std::move(update));
}

void WaitForDatabaseUpdates() {
    TheUpdates().waitUntilIdle();
}

std::vector<std::string> TakeDatabaseUpdateFailures() {
    return TheUpdates().takeFailures();
}

DatabaseUpdateListener::DatabaseUpdateListener(std::function<void()> wake)
    : wake_(std::move(wake)) {
    TheUpdates().listen(&wake_);
}

DatabaseUpdateListener::~DatabaseUpdateListener() {
    TheUpdates().stopListening(&wake_);
}

} // namespace vellograph
