// Loading under faults: files that shrink or grow too large, things that are
// not files, handlers that change the drawing mid-load, and hostile bytes.
#include "engine/format/drawing.h"
#include "engine/format/recording.h"
#include "tests/support/fake_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vellograph;
using namespace vellograph::test;

namespace {

class LoadFaultTest : public ::testing::Test {
protected:
    FakeHost host;
    ScopedHost scoped{host};
    TempDir dir;
    TAVecImage drawing = DistinctDrawing();
    std::string path = dir.file("drawing.vlgf");
    void TearDown() override { EXPECT_FALSE(LoadInProgress()); }
};

// The first read chunk ends long before the file does, so the truncation
// made during the first pump is met by a later read.
TEST_F(LoadFaultTest, FileThatShrinksMidLoadRestoresTheOldDrawing) {
    WriteBytes(path, PatternFile(1100000)); // more than the load reads at once
    host.onPump = [&] {
        if (host.pumps == 1) {
            ASSERT_EQ(::truncate(path.c_str(), 36 + 6 * 300), 0);
        }
    };
    LoadDrawing(path, drawing);
    ExpectSameDrawing(drawing, DistinctDrawing());
    EXPECT_EQ(host.messages, std::vector<std::string>{MsgLoadFailed});
}

TEST_F(LoadFaultTest, MoreRecordsThanAnIndexHoldsIsRefused) {
    // A sparse file of 2^31 records: LastIndex could not name the last one.
    WriteBytes(path, "");
    ASSERT_EQ(::truncate(path.c_str(), 36 + 6 * (std::int64_t{1} << 31)), 0);
    LoadDrawing(path, drawing);
    ExpectSameDrawing(drawing, DistinctDrawing());
    EXPECT_EQ(host.messages, std::vector<std::string>{MsgLoadFailed});
    EXPECT_EQ(host.pumps, 0);
}

#if !defined(                                                                                      \
    __SANITIZE_ADDRESS__) // the sanitizer's shadow memory needs more address space than this
TEST_F(LoadFaultTest, FileTooLargeForMemoryRestoresTheOldDrawing) {
    WriteBytes(path, "");
    ASSERT_EQ(::truncate(path.c_str(), 36 + 6 * (std::int64_t{1} << 28)), 0); // 1.5 GiB of records
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit limit{std::uint64_t{1} << 30, std::uint64_t{1} << 30};
        FakeHost child;
        ScopedHost scope(child);
        if (::setrlimit(RLIMIT_AS, &limit) != 0) {
            ::_exit(10);
        }
        // qemu-user, which runs these tests for other processors, accepts the
        // limit and ignores it. Volatile, or the compiler drops the allocation.
        void* volatile probe = std::malloc(std::size_t{1} << 30);
        if (probe != nullptr) {
            ::_exit(12);
        }
        LoadDrawing(path, drawing);
        const TAVecImage expected = DistinctDrawing();
        const bool same = CommandBytes(drawing) == CommandBytes(expected) &&
                          drawing.LastIndex == 3 && drawing.LastFillIndex == 42 &&
                          drawing.Header == expected.Header;
        ::_exit(same && child.messages == std::vector<std::string>{MsgLoadFailed} ? 0 : 11);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 12) {
        GTEST_SKIP() << "the address-space limit does not hold here";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif

TEST_F(LoadFaultTest, OnlyRegularFilesLoadAndNothingHangs) {
    std::filesystem::create_directory(dir.path() / "folder.vlgf");
    ASSERT_EQ(::mkfifo(dir.file("pipe.vlgf").c_str(), 0666), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.file("socket.vlgf");
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::alarm(30); // a hang ends the run instead of stalling it
    for (const std::string& name : {dir.file("folder.vlgf"), dir.file("pipe.vlgf"), socketPath,
                                    std::string("/dev/zero"), std::string("/dev/null")}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(FileExists(name));
        host.messages.clear();
        LoadDrawing(name, drawing);
        EXPECT_EQ(host.messages, std::vector<std::string>{MsgLoadFailed});
        ExpectSameDrawing(drawing, DistinctDrawing());
    }
    ::alarm(0);
    ::close(sock);
}

TEST_F(LoadFaultTest, NewDrawingDuringThePumpEndsTheLoad) {
    WriteBytes(path, PatternFile(1000));
    host.onPump = [&] { NewDrawing(drawing); };
    LoadDrawing(path, drawing);
    EXPECT_EQ(host.pumps, 1);
    EXPECT_EQ(CommandBytes(drawing), "c0000\np0200\n");
    EXPECT_EQ(drawing.LastIndex, 1);
    EXPECT_EQ(std::string(drawing.Header.data(), 36), StandardHeaderText);
    EXPECT_TRUE(host.messages.empty());

    // The new drawing grown to the records read so far, in the very storage
    // the load reads into, is still not the load's.
    host.pumps = 0;
    host.onPump = [&] {
        NewDrawing(drawing);
        while (drawing.LastIndex < 255) {
            AddCommand(drawing, 7, 7, 0, 0, NoIndex, 1.0, 0.0, CmdLine);
        }
    };
    LoadDrawing(path, drawing);
    EXPECT_EQ(host.pumps, 1);
    ASSERT_EQ(drawing.Commands.size(), 256u);
    EXPECT_EQ(CommandBytes(drawing).substr(0, 12), "c0000\np0200\n");
    EXPECT_EQ(drawing.Commands.back().Letter, CmdLine);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LoadFaultTest, StrokeDuringThePumpEndsTheLoadAndIsKept) {
    WriteBytes(path, PatternFile(1000));
    host.onPump = [&] {
        ChangeRecords(drawing, NoIndex);
        drawing.Commands.push_back({'l', {'1', '1', '1', '1'}, '\n'});
        ++drawing.LastIndex;
    };
    LoadDrawing(path, drawing);
    EXPECT_EQ(host.pumps, 1);
    ASSERT_EQ(drawing.LastIndex, 256);
    EXPECT_EQ(CommandBytes(drawing), PatternFile(256).substr(36) + "l1111\n");
}

TEST_F(LoadFaultTest, NestedLoadsDuringThePump) {
    WriteBytes(path, PatternFile(1000));
    WriteBytes(dir.file("other.vlgf"), PatternFile(3, std::string(35, 'o') + "\n"));
    // Another file opened from inside the pump replaces the one being read.
    host.onPump = [&] { LoadDrawing(dir.file("other.vlgf"), drawing); };
    LoadDrawing(path, drawing);
    EXPECT_EQ(CommandBytes(drawing), PatternFile(3, ""));
    EXPECT_EQ(drawing.Header[0], 'o');
    EXPECT_EQ(host.messages, std::vector<std::string>{MsgLoaded});

    // A nested load that fails leaves the partial drawing, and the outer load
    // goes on to the end.
    host.messages.clear();
    host.pumps = 0;
    host.onPump = [&] { LoadDrawing(dir.file("missing.vlgf"), drawing); };
    LoadDrawing(path, drawing);
    EXPECT_EQ(host.pumps, 3);
    EXPECT_EQ(CommandBytes(drawing), PatternFile(1000, ""));
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{MsgLoadFailed, MsgLoadFailed, MsgLoadFailed, MsgLoaded}));
}

TEST_F(LoadFaultTest, ExceptionFromAPumpHandlerRestoresTheOldDrawing) {
    WriteBytes(path, PatternFile(1000));
    host.onPump = [] { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(LoadDrawing(path, drawing), std::runtime_error);
    ExpectSameDrawing(drawing, DistinctDrawing());
    EXPECT_TRUE(host.messages.empty());
}

// Random bytes of random sizes, and one long line with no record shape at
// all: each loads as header plus zero-padded records and saves back intact.
TEST_F(LoadFaultTest, HostileBytesLoadAndRoundTrip) {
    std::mt19937 random(20240601);
    std::vector<std::size_t> sizes{1 << 20};
    for (int i = 0; i < 40; ++i) {
        sizes.push_back(random() % 5000);
    }
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        std::string bytes(size, '\0');
        for (char& b : bytes) {
            b = static_cast<char>(size == (1 << 20) ? 'x' : random());
        }
        WriteBytes(path, bytes);
        LoadDrawing(path, drawing);
        const std::size_t records = size <= 36 ? 1 : (size - 36 + 5) / 6;
        ASSERT_EQ(drawing.Commands.size(), records);
        std::string expected = bytes.substr(std::min<std::size_t>(size, 36));
        expected.resize(records * 6, '\0');
        EXPECT_EQ(CommandBytes(drawing), expected);
        std::int32_t saved = 0;
        SaveDrawing(dir.file("copy"), drawing, saved);
        if (size >= 36 && (size - 36) % 6 == 0) {
            EXPECT_EQ(ReadBytes(dir.file("copy")), bytes);
        }
    }
}

} // namespace
