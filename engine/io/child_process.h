// A child process run directly (no shell): its pipes, a wait that kills at a
// deadline, and one account of how it ended.
#pragma once

#include "engine/io/file_io.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace vellograph::fileio {

struct ChildOptions {
    // argv[0] is the program: a path, or with searchPath a name looked up on PATH.
    std::vector<std::string> argv;
    bool searchPath = false;
    // Entries NAME=VALUE; none given: this process's own.
    std::optional<std::vector<std::string>> environment;
    // Standard input a pipe that write() feeds; otherwise /dev/null.
    bool feedInput = false;
    int inputPipeBytes = 0; // a larger input pipe, when asked (a smaller one only costs time)
    // Standard output kept in output() (its first MiB); otherwise /dev/null.
    bool keepOutput = false;
    // When not empty, readable on descriptor 3 from the start; small enough
    // for a pipe to hold.
    std::string extraInput;
};

// How a child ended. `code` is the errno for NotStarted and Lost, the exit
// status, the signal, or for TimedOut the time allowed in milliseconds.
struct ChildEnding {
    enum class How { NotStarted, Exited, Signalled, TimedOut, Lost };
    How how = How::NotStarted;
    int code = 0;
    // The first line of its standard error that says anything, without a
    // "[component @ 0x...] " prefix; at most 300 characters.
    std::string errorLine;

    bool succeeded() const { return how == How::Exited && code == 0; }
    // "ended with status 3: REASON", "was ended by signal 9 (Killed)", "did
    // not finish in 15 s", "could not be started: No such file or directory".
    std::string describe() const;
};

// The child starts with every signal at its default action and none
// blocked, and with no descriptor of this process but the ones asked for:
// standard error is always a pipe, kept for the ending's line.
class ChildProcess {
public:
    explicit ChildProcess(const ChildOptions& options);
    // A child still running is killed and reaped.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // 0 once started, else why not (ENOENT: no such program).
    int startError() const { return startError_; }

    // Writes every byte to its standard input, reading its outputs meanwhile.
    // False when it stopped reading; its input is then closed. `eachPass`,
    // when given, is called before every wait (and may throw to give up).
    bool write(const void* data, std::size_t size, const std::function<void()>& eachPass = {});
    // Closes its input and waits until it ends; at the deadline (none when
    // negative) it is killed. Its outputs are read to the end meanwhile.
    ChildEnding wait(int timeoutMs = -1, const std::function<void()>& eachPass = {});

    // Its standard error (the first 64 KiB) and output, complete once wait() returned.
    const std::string& errors() const { return errors_; }
    const std::string& output() const { return output_; }

private:
    // Reads what its outputs hold, waiting up to timeoutMs (-1: no limit)
    // for something to happen; with data, also writes what the input takes.
    void exchange(const char*& data, std::size_t& size, int timeoutMs);
    // One read into `kept`, beyond `limit` bytes dropped; true when there may
    // be more to read at once.
    bool read(UniqueFd& fd, std::string& kept, std::size_t limit);

    pid_t pid_ = -1;
    int startError_ = 0;
    UniqueFd in_, err_, out_;
    std::string errors_, output_;
    ChildEnding ending_;
};

// The first line of a tool's messages that says anything, as ChildEnding keeps it.
std::string FirstMessageLine(const std::string& text);

} // namespace vellograph::fileio
