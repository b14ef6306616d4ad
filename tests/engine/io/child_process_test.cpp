// The child-process helper: how children end, their pipes, and no descriptor left behind.
#include "engine/io/child_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <dirent.h>

using namespace vellograph::fileio;
using How = ChildEnding::How;

namespace {

int OpenDescriptors() {
    int count = 0;
    DIR* dir = ::opendir("/proc/self/fd");
    while (dir && ::readdir(dir)) {
        ++count;
    }
    if (dir) {
        ::closedir(dir);
    }
    return count;
}

ChildOptions Shell(const std::string& script) {
    ChildOptions o;
    o.argv = {"/bin/sh", "-c", script};
    return o;
}

TEST(ChildProcess, EndingsAreToldApartWithTheFirstLineTheChildSaid) {
    ChildOptions env = Shell("echo \"[x @ 0x1] $WHY\" >&2; echo later >&2; exit 3");
    env.environment = {{"WHY=disk full"}};
    ChildOptions missing;
    missing.argv = {"no-such-program-anywhere"};
    missing.searchPath = true;
    const struct {
        ChildOptions options;
        int timeoutMs;
        How how;
        int code;
        const char* said;
    } cases[] = {
        {Shell("exit 0"), -1, How::Exited, 0, "ended with status 0"},
        {env, -1, How::Exited, 3, "ended with status 3: disk full"},
        {Shell("kill -TERM $$"), -1, How::Signalled, SIGTERM,
         "was ended by signal 15 (Terminated)"},
        {Shell("sleep 30"), 300, How::TimedOut, 300, "did not finish in 300 ms"},
        // A child of its own that keeps the pipes open is not waited for.
        {Shell("sleep 5 & exit 0"), 20000, How::Exited, 0, "ended with status 0"},
        {missing, -1, How::NotStarted, ENOENT, "could not be started: No such file or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        const auto start = std::chrono::steady_clock::now();
        ChildProcess child(c.options);
        const ChildEnding ending = child.wait(c.timeoutMs);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
        EXPECT_EQ(ending.how, c.how);
        EXPECT_EQ(ending.code, c.code);
        EXPECT_EQ(ending.describe(), c.said);
        EXPECT_EQ(ending.succeeded(), c.how == How::Exited && c.code == 0);
    }
    ChildOptions nameless;
    EXPECT_EQ(ChildProcess(nameless).startError(), ENOENT);
}

TEST(ChildProcess, PipesCarryEveryByteAndNoDescriptorIsLeftOpen) {
    const int before = OpenDescriptors();
    std::string frames(900 << 10, '\0'); // far more than a pipe holds
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i] = static_cast<char>(i * 7 + i / 4096);
    }
    {
        ChildOptions o = Shell("cat; cat <&3");
        o.feedInput = true;
        o.keepOutput = true;
        o.extraInput = "palette";
        ChildProcess cat(o);
        ASSERT_TRUE(cat.write(frames.data(), frames.size()));
        EXPECT_TRUE(cat.wait().succeeded());
        EXPECT_EQ(cat.output(), frames + "palette");

        // A child that stops reading fails the write; SIGPIPE ends nothing.
        ChildOptions quits = Shell("exit 1");
        quits.feedInput = true;
        ChildProcess early(quits);
        EXPECT_FALSE(early.write(frames.data(), frames.size()));
        EXPECT_EQ(early.wait().code, 1);

        ChildOptions none;
        none.argv = {"/no/such/program"};
        ChildProcess failed(none);
        EXPECT_EQ(failed.startError(), ENOENT);
        ChildProcess running(Shell("sleep 30")); // killed and reaped when it goes
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

} // namespace
