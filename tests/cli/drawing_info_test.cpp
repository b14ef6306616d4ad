// vellograph-cli info, dump and resave, run as separate processes: their
// output, exit statuses, and the memory a dump of the largest drawing takes.
#include "engine/format/drawing.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace vellograph;
using namespace vellograph::test;

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
    long peakKiB = 0;
};

// Runs the tool with its output in files, so nothing can block on a pipe.
Result RunCli(const TempDir& dir, std::vector<std::string> args, const std::string& outPath = "") {
    const std::string out = outPath.empty() ? dir.file("stdout") : outPath;
    const std::string err = dir.file("stderr");
    args.insert(args.begin(), VELLOGRAPH_CLI);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    Result r;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = outPath.empty() ? ReadBytes(out) : "";
    r.err = ReadBytes(err);
    r.peakKiB = usage.ru_maxrss;
    return r;
}

// One record of every kind, a look-alike of the end marker, junk, and a
// short last record.
const std::string Sample = StandardHeaderText +
                           "c`o00\np0200\nm1T38\nl1T38\nd\xCC@00\ne3oo0\niENDxx" + "iEN?00" +
                           "\x01\x02\x03\x04\x05\x06" + "l12";

TEST(CliTest, DumpPrintsEveryRecordInItsOwnWords) {
    TempDir dir;
    WriteBytes(dir.file("sample.vlgf"), Sample);
    const Result r = RunCli(dir, {"dump", dir.file("sample.vlgf")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "0 c 0x0000FF\n1 p 2\n2 m 100 200\n3 l 100 200\n4 d 10000\n5 e 0xC03F3F\n6 end\n"
              "7 ? 69 45 4E 3F 30 30\n8 ? 01 02 03 04 05 06\n9 l 66 -3120\n");
    EXPECT_EQ(r.err, ""); // no "loaded" chatter
}

TEST(CliTest, InfoCountsEachKind) {
    TempDir dir;
    WriteBytes(dir.file("sample.vlgf"), Sample);
    const Result r = RunCli(dir, {"info", dir.file("sample.vlgf")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "header: \"W1251 -=CreaTed by Vellograph 3.0=-\\n\"\nrecords: 10\nmove: 1\nline: 2\n"
              "colour: 1\nfill: 1\ndelay: 1\npen width: 1\nend marker: 1\nother: 2\n");

    WriteBytes(dir.file("odd"), "Q\"\\\t\xC0z"); // shorter than a header
    EXPECT_EQ(RunCli(dir, {"info", dir.file("odd")}).out,
              "header: \"Q\\\"\\\\\\t\\xC0z\"\nrecords: 1\nmove: 0\nline: 0\ncolour: 0\nfill: 0\n"
              "delay: 0\npen width: 0\nend marker: 0\nother: 1\n");
}

TEST(CliTest, ResaveCopiesWholeRecordFilesByteForByte) {
    TempDir dir;
    const std::string whole = Sample.substr(0, Sample.size() - 3);
    WriteBytes(dir.file("in.vlgf"), whole);
    Result r = RunCli(dir, {"resave", dir.file("in.vlgf"), dir.file("out.txt")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(ReadBytes(dir.file("out.txt")), whole);
    EXPECT_EQ(r.err, std::string(MsgLoaded) + "\nРазмер сохраненного: 90 байт\n");

    WriteBytes(dir.file("in.vlgf"), Sample); // the short last record is padded
    r = RunCli(dir, {"resave", dir.file("in.vlgf"), dir.file("out.txt")});
    EXPECT_EQ(ReadBytes(dir.file("out.txt")), Sample + std::string(3, '\0'));
}

TEST(CliTest, ExitStatusesAndMessages) {
    TempDir dir;
    WriteBytes(dir.file("in.vlgf"), Sample);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string errStart;
    } cases[] = {
        {{"dump", dir.file("missing.vlgf")},
         1,
         "vellograph-cli: cannot read '" + dir.file("missing.vlgf") + "': No such file"},
        {{"info", "/dev/zero"}, 1, "vellograph-cli: cannot read '/dev/zero': it is not a regular"},
        {{"resave", dir.file("in.vlgf"), dir.path().string()},
         1,
         std::string(MsgLoaded) + "\nvellograph-cli: cannot write '" + dir.path().string() +
             "': Is a directory"},
        {{"resave", dir.file("missing.vlgf"), dir.file("x")}, 1, "vellograph-cli: cannot read"},
        {{"dump"},
         2,
         "vellograph-cli: dump: want 1 file name, got 0 (usage: vellograph-cli dump FILE)"},
        {{"info", "a", "b"}, 2, "vellograph-cli: info: want 1 file name, got 2"},
        {{"resave", "a"}, 2, "vellograph-cli: resave: want 2 file names, got 1"},
        {{"frobnicate"}, 2, "vellograph-cli: unknown command"},
        {{}, 2, "usage:"},
        {{"dump", "--help"}, 0, ""},
        {{"--help"}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? "(none)"
                                    : c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : ""));
        const Result r = RunCli(dir, c.args);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err.substr(0, c.errStart.size()), c.errStart);
        if (c.status == 0) {
            EXPECT_NE(r.out.find("usage:"), std::string::npos);
        }
    }
    EXPECT_FALSE(FileExists(dir.file("x")));
}

// The largest drawing appending can make: the dump streams its output, so
// the peak stays under the file size plus 32 MB.
TEST(CliTest, DumpOfTheLargestDrawingStreams) {
    TempDir dir;
    const std::int64_t records = NoIndex + 1;
    const std::string file = PatternFile(records);
    WriteBytes(dir.file("big.vlgf"), file);
    const Result r = RunCli(dir, {"dump", dir.file("big.vlgf")}, dir.file("big.txt"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
#if !defined(__SANITIZE_ADDRESS__) // the sanitizer's own bookkeeping costs more than the budget
    EXPECT_LT(r.peakKiB * 1024, static_cast<long>(file.size()) + (32l << 20))
        << r.peakKiB << " KiB";
#endif
    const std::string out = ReadBytes(dir.file("big.txt"));
    const auto lastLine = out.rfind('\n', out.size() - 2) + 1;
    // Record 2097152 = 8 * 64^3: digits '0','0','0','8' give x 0, y 8.
    EXPECT_EQ(out.substr(lastLine), "2097152 l 0 8\n");
}

} // namespace
