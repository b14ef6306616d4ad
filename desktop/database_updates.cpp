// The desktop's databases brought up to date on a thread of their own.
#include "desktop/database_updates.h"

#include "engine/io/child_process.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
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

// Runs the tool directly (no shell), its standard error kept for the
// message; empty when it ran and exited with status 0, else why not.
std::string RunTool(const ToolRun& run, const std::vector<std::string>& environment,
                    int timeoutMs) {
    if (run.program.empty()) {
        return "is not installed";
    }
    fileio::ChildOptions options;
    options.argv = {run.program};
    options.argv.insert(options.argv.end(), run.args.begin(), run.args.end());
    options.environment = environment;
    fileio::ChildProcess tool(options);
    const fileio::ChildEnding ending = tool.wait(timeoutMs);
    return ending.succeeded() ? std::string() : ending.describe();
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
