// Killing the program at any moment of an autosave leaves the temporary file
// whole: the drawing before or the drawing after, never a mix or nothing.
#include "tests/support/file_fixture.h"
#include "tests/window/form/autosave_drawings.h"

#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using namespace vellograph;

namespace {

// The child in its own directory, its standard output on a pipe and its
// warnings gone.
class Child {
public:
    explicit Child(const std::string& directory) {
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        readEnd_ = fds[0];
        std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen"};
        for (char** e = environ; *e; ++e) {
            if (std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0) {
                env.emplace_back(*e);
            }
        }
        std::vector<char*> envp;
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        char* argv[] = {const_cast<char*>(AUTOSAVE_CHILD), nullptr};
        EXPECT_EQ(::posix_spawn(&pid_, AUTOSAVE_CHILD, &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
    }
    ~Child() {
        Kill();
        ::close(readEnd_);
    }

    // True once the child said it has written its first autosave.
    bool WaitReady(int timeoutMs) {
        pollfd p{readEnd_, POLLIN, 0};
        char buffer[16];
        return ::poll(&p, 1, timeoutMs) == 1 && ::read(readEnd_, buffer, sizeof buffer) > 0;
    }

    void Kill() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
            pid_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int readEnd_ = -1;
};

} // namespace

TEST(AutosaveKill, TheTemporaryFileIsAlwaysOneWholeDrawing) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string directory = dir.path().toStdString();
    const std::string temp = directory + "/" + TMainForm::TempFileName;
    const std::string first = FileImage(AutosaveDrawing(0));
    const std::string second = FileImage(AutosaveDrawing(1));
    WriteFile(temp, first);

    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> delayUs(0, 40000);
    int seen[2] = {0, 0};
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(round);
        Child child(directory);
        ASSERT_TRUE(child.WaitReady(30000));
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        child.Kill();
        const std::string now = ReadFile(temp);
        ASSERT_TRUE(now == first || now == second) << "a file of " << now.size() << " bytes";
        ++seen[now == second];
    }
    // The kills fell on both drawings, so they came at different moments.
    EXPECT_GT(seen[0], 0);
    EXPECT_GT(seen[1], 0);
}
