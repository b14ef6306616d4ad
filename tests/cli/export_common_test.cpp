// The export commands' shared pieces: options, reading drawings, safe writes.
#include "cli/cli_common.h"
#include "cli/export/export_replay.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::test;

TEST(ExportOptions, TakesWholeSensibleValuesOnly) {
    const SurfaceOptions s =
        ReadSurfaceOptions(SplitArgs({"in", "--size", "640x480", "--origin=-5,+7", "--scale",
                                      "0.25", "--angle", "-1.5", "--", "--out"},
                                     SurfaceOptionNames()));
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 480);
    EXPECT_EQ(s.view.OriginX, -5);
    EXPECT_EQ(s.view.OriginY, 7);
    EXPECT_EQ(s.view.Scale, 0.25);
    EXPECT_EQ(s.view.Angle, -1.5);
    EXPECT_EQ(SplitArgs({"in", "--", "--out"}, {}).positional,
              (std::vector<std::string>{"in", "--out"}));

    const std::vector<Args> refused = {
        {"--size", "0x5"},    {"--size", "800"},     {"--size", "16385x1"},
        {"--size", " 80x60"}, {"--size", "80x60px"}, {"--size", "8e2x600"},
        {"--origin", "1;2"},  {"--origin", "1,"},    {"--origin", "3000000000,0"},
        {"--scale", "0"},     {"--scale", "-1"},     {"--scale", "nan"},
        {"--scale", "1e400"}, {"--scale", "1,5"},    {"--angle", "inf"},
        {"--angle"},          {"--bogus", "1"},
    };
    for (const Args& a : refused) {
        try {
            ReadSurfaceOptions(SplitArgs(a, SurfaceOptionNames()));
            ADD_FAILURE() << a[0] << " " << (a.size() > 1 ? a[1] : "");
        } catch (const CliError& e) {
            EXPECT_EQ(e.status(), ExitUsage);
        }
    }
}

TEST(ExportRead, CutsRecordsExactlyAsTheLoadDoes) {
    TempDir dir;
    // Header only, a last record short by one to five bytes, whole records.
    for (std::size_t size : {36u, 37u, 41u, 42u, 47u, 48u, 36u + 6 * 300 + 2}) {
        std::string bytes(StandardHeader, HeaderSize);
        for (std::size_t i = HeaderSize; i < size; ++i) {
            bytes += "ml0Z\n"[i % 5];
        }
        WriteBytes(dir.file("d.vlgf"), bytes);
        TAVecImage loaded, read;
        InstantHost quiet;
        {
            ScopedHost scoped(quiet);
            LoadDrawing(dir.file("d.vlgf"), loaded);
        }
        ReadDrawing(dir.file("d.vlgf"), read);
        ASSERT_EQ(read.LastIndex, loaded.LastIndex) << size;
        EXPECT_EQ(read.Header, loaded.Header);
        EXPECT_EQ(std::memcmp(read.Commands.data(), loaded.Commands.data(),
                              6 * static_cast<std::size_t>(read.LastIndex + 1)),
                  0)
            << size;
    }
    // A FIFO is refused at once instead of blocking the open.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    TAVecImage d;
    EXPECT_THROW(ReadDrawing(dir.file("fifo"), d), CliError);
}

TEST(ExportWrite, ReplacesTheTargetWholeKeepingModeAndLinks) {
    TempDir dir;
    const std::string target = dir.file("out.png");
    WriteBytes(target, "old content that is longer");
    ::chmod(target.c_str(), 0640);
    WriteFileReplacing(target, "new");
    EXPECT_EQ(ReadBytes(target), "new");
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // Through a symbolic link the named file changes and the link stays.
    ASSERT_EQ(::symlink("out.png", dir.file("link.png").c_str()), 0);
    WriteFileReplacing(dir.file("link.png"), "via link");
    EXPECT_EQ(ReadBytes(target), "via link");
    ::lstat(dir.file("link.png").c_str(), &st);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    // A dangling link gets its file; the link stays.
    ASSERT_EQ(::symlink("later.png", dir.file("ahead.png").c_str()), 0);
    WriteFileReplacing(dir.file("ahead.png"), "made");
    EXPECT_EQ(ReadBytes(dir.file("later.png")), "made");

    // The input under another name is no output.
    ASSERT_EQ(::link(target.c_str(), dir.file("hard.png").c_str()), 0);
    EXPECT_THROW(RefuseToOverwrite(target, dir.file("hard.png")), CliError);

    // A read-only file stays as it is, for root too, and so does a FIFO.
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    ASSERT_EQ(::mkfifo(dir.file("fifo.png").c_str(), 0666), 0);
    for (const char* name : {"out.png", "fifo.png"}) {
        try {
            WriteFileReplacing(dir.file(name), "refused");
            ADD_FAILURE() << name;
        } catch (const CliError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("cannot write '" + dir.file(name) + "': ", 0), 0u)
                << e.what();
        }
    }
    EXPECT_EQ(ReadBytes(target), "via link");
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"ahead.png", "fifo.png", "hard.png",
                                                          "later.png", "link.png", "out.png"}));
}
