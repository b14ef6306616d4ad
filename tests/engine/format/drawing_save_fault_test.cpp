// Saving under faults: size limits, unwritable folders, odd targets, links,
// permission bits, and readers that hold the old file open.
#include "engine/format/drawing.h"
#include "tests/support/fake_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vellograph;
using namespace vellograph::test;

namespace {

// Runs body in a forked child and returns its exit status, or 128 + signal
// when it was killed. The child reports through its status only.
int RunInChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// In a child: a save that must fail with the message and savedSize untouched.
int ExpectFailedSave(const std::string& path, const TAVecImage& d) {
    FakeHost host;
    ScopedHost scoped(host);
    std::int32_t saved = -5;
    SaveDrawing(path, d, saved);
    return host.messages == std::vector<std::string>{MsgSaveFailed} && saved == -5 ? 0 : 1;
}

TAVecImage PatternDrawing(std::int64_t records) {
    TAVecImage d;
    d.Header.fill(0);
    const std::string file = PatternFile(records);
    std::copy_n(file.begin(), 36, d.Header.begin());
    d.Commands.resize(static_cast<std::size_t>(records));
    std::copy_n(file.begin() + 36, records * 6, reinterpret_cast<char*>(d.Commands.data()));
    d.LastIndex = static_cast<std::int32_t>(records) - 1;
    return d;
}

class SaveFaultTest : public ::testing::Test {
protected:
    FakeHost host;
    ScopedHost scoped{host};
    TempDir dir;
    std::string target = dir.file("drawing.vlgf");
    void SetUp() override { WriteBytes(target, PatternFile(100)); }
};

TEST_F(SaveFaultTest, FileSizeLimitFailsAndKeepsTheOldFile) {
    const int status = RunInChild([&] {
        const rlimit limit{700, 700}; // the old file's 636 bytes fit, 1236 do not
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return 10;
        }
        if (ExpectFailedSave(target, PatternDrawing(200)) != 0) {
            return 11;
        }
        struct sigaction now {};
        ::sigaction(SIGXFSZ, nullptr, &now);
        if (now.sa_handler != SIG_DFL) {
            return 12; // the save must put the default action back
        }
        FakeHost host;
        ScopedHost scoped(host);
        std::int32_t saved = 0;
        SaveDrawing(target, PatternDrawing(10), saved); // within the limit
        return saved == 96 && host.messages.empty() ? 0 : 13;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(target), PatternFile(10));
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"drawing.vlgf"});
}

TEST_F(SaveFaultTest, UnwritableFolderFailsAndKeepsTheOldFile) {
    const std::filesystem::path sub = dir.path() / "locked";
    std::filesystem::create_directory(sub);
    const std::string inside = (sub / "drawing.vlgf").string();
    WriteBytes(inside, PatternFile(3));
    ASSERT_EQ(::chmod(inside.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const int status = RunInChild([&] {
        // Root writes anywhere; a plain user meets the folder's own bits.
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            return 20;
        }
        return ExpectFailedSave(inside, PatternDrawing(7)) +
               2 * ExpectFailedSave((sub / "new.vlgf").string(), PatternDrawing(7));
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(inside), PatternFile(3));
    EXPECT_EQ(Listing(sub), std::set<std::string>{"drawing.vlgf"});
}

TEST_F(SaveFaultTest, OnlyRegularFilesAreSavedOver) {
    std::filesystem::create_directory(dir.path() / "folder.vlgf");
    ASSERT_EQ(::mkfifo(dir.file("pipe.vlgf").c_str(), 0666), 0);
    for (const char* name :
         {"folder.vlgf", "pipe.vlgf", "missing-folder/x.vlgf", "drawing.vlgf/x"}) {
        EXPECT_EQ(ExpectFailedSave(dir.file(name), PatternDrawing(2)), 0) << name;
    }
    std::int32_t saved = -1;
    SaveDrawing("", PatternDrawing(2), saved);
    EXPECT_EQ(saved, -1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder.vlgf"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder.vlgf"));
    EXPECT_EQ(Listing(dir.path()),
              (std::set<std::string>{"drawing.vlgf", "folder.vlgf", "pipe.vlgf"}));
}

TEST_F(SaveFaultTest, InconsistentDrawingIsNotWritten) {
    TAVecImage d = PatternDrawing(4);
    d.LastIndex = 9; // more than Commands holds
    EXPECT_EQ(ExpectFailedSave(target, d), 0);
    d.LastIndex = -2;
    EXPECT_EQ(ExpectFailedSave(target, d), 0);
    EXPECT_EQ(ReadBytes(target), PatternFile(100));
}

TEST_F(SaveFaultTest, SymbolicLinksAreFollowedToTheRealFile) {
    std::filesystem::create_directory(dir.path() / "real");
    std::filesystem::rename(target, dir.path() / "real" / "drawing.vlgf");
    std::filesystem::create_symlink("real/drawing.vlgf", dir.path() / "link.vlgf"); // relative
    std::filesystem::create_symlink(dir.path() / "link.vlgf", dir.path() / "real" / "chain.vlgf");
    std::filesystem::create_symlink("absent.vlgf", dir.path() / "real" / "dangling.vlgf");
    std::int32_t saved = 0;
    SaveDrawing(dir.file("real/chain.vlgf"), PatternDrawing(2), saved);
    SaveDrawing(dir.file("real/dangling.vlgf"), PatternDrawing(3), saved);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(ReadBytes(dir.file("real/drawing.vlgf")), PatternFile(2));
    EXPECT_EQ(ReadBytes(dir.file("real/absent.vlgf")), PatternFile(3));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "link.vlgf"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "real" / "chain.vlgf"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "real" / "dangling.vlgf"));

    std::filesystem::create_symlink("loop-b", dir.path() / "loop-a");
    std::filesystem::create_symlink("loop-a", dir.path() / "loop-b");
    EXPECT_EQ(ExpectFailedSave(dir.file("loop-a"), PatternDrawing(1)), 0);
}

TEST_F(SaveFaultTest, PermissionBitsSurviveAndNewFilesFollowTheUmask) {
    for (const mode_t mode : {0640u, 0604u, 0600u, 0666u}) {
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        std::int32_t saved = 0;
        SaveDrawing(target, PatternDrawing(1), saved);
        struct stat st {};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
    const mode_t previous = ::umask(027);
    std::int32_t saved = 0;
    SaveDrawing(dir.file("new.vlgf"), PatternDrawing(1), saved);
    ::umask(previous);
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("new.vlgf").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST_F(SaveFaultTest, ReaderOfTheOldFileKeepsTheWholeOldContent) {
    std::ifstream reader(target, std::ios::binary);
    ASSERT_TRUE(reader);
    std::int32_t saved = 0;
    SaveDrawing(target, PatternDrawing(3), saved);
    const std::string old((std::istreambuf_iterator<char>(reader)),
                          std::istreambuf_iterator<char>());
    EXPECT_EQ(old, PatternFile(100));
    EXPECT_EQ(ReadBytes(target), PatternFile(3));
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"drawing.vlgf"});
}

} // namespace

// A writer killed mid-write leaves its hidden file; the next write of the
// same target removes it, and only it.
TEST_F(SaveFaultTest, LeftoversOfDeadWritersGoWithTheNextWrite) {
    const pid_t dead = ::fork();
    if (dead == 0) {
        ::_exit(0);
    }
    ::waitpid(dead, nullptr, 0);
    const std::string deadPid = std::to_string(dead), ours = std::to_string(::getpid());
    const std::set<std::string> kept = {
        "drawing.vlgf", "." + std::string("drawing.vlgf.") + ours + ".7.tmp", // a live writer's
        ".other.vlgf." + deadPid + ".0.tmp",                                  // another target's
        ".drawing.vlgf.x" + deadPid + ".0.tmp",                               // no PID
    };
    for (const std::string& name : kept) {
        WriteBytes(dir.file(name), "x");
    }
    WriteBytes(dir.file(".drawing.vlgf." + deadPid + ".0.tmp"), "half");
    WriteBytes(dir.file(".drawing.vlgf." + deadPid + ".12.tmp"), "half");
    std::int32_t size = 0;
    EXPECT_EQ(SaveDrawing(target, PatternDrawing(3), size), SaveOutcome::Saved);
    EXPECT_EQ(Listing(dir.path()), kept);
}
