// Reading drawings read-only and writing outputs beside their targets.
#include "cli_common.h"
#include "cli_io.h"
#include "export_replay.h"
#include "export_test_support.h"

#include <QImage>

#include <sys/stat.h>
#include <unistd.h>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::testing;

namespace {

std::string FailureText(const std::function<void()>& f) {
    try {
        f();
    } catch (const CliError& e) {
        EXPECT_EQ(e.status(), ExitFailure);
        return e.what();
    }
    return "no failure";
}

} // namespace

TEST(ExportRead, CutsRecordsExactlyAsTheLoadDoes) {
    TempDir dir;
    // Header only, a record short by one to five bytes, whole records.
    for (std::size_t size : {36u, 37u, 41u, 42u, 47u, 48u, 36u + 6 * 300 + 2}) {
        std::string bytes(StandardHeader, HeaderSize);
        for (std::size_t i = HeaderSize; i < size; ++i) {
            bytes += static_cast<char>("ml0Z\n"[i % 5]);
        }
        WriteBytes(dir / "d.vlgf", bytes);
        TAVecImage loaded, read;
        NewDrawing(loaded);
        InstantHost quiet;
        {
            ScopedHost scoped(quiet);
            LoadDrawing(dir / "d.vlgf", loaded);
        }
        ReadDrawing(dir / "d.vlgf", read);
        ASSERT_EQ(read.LastIndex, loaded.LastIndex) << size;
        EXPECT_EQ(read.Header, loaded.Header);
        EXPECT_EQ(std::memcmp(read.Commands.data(), loaded.Commands.data(),
                              6 * static_cast<std::size_t>(read.LastIndex + 1)),
                  0)
            << size;
    }
}

TEST(ExportRead, RefusesWhatCannotBeADrawing) {
    TempDir dir;
    WriteBytes(dir / "short", std::string(35, 'x'));
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    TAVecImage d = MakeDrawing({M(1, 2)});
    const struct {
        std::string path;
        const char* says;
    } cases[] = {{dir / "missing", "No such file"},
                 {dir / "", "is a directory"},
                 {dir / "fifo", "not a regular file"}, // and no hang on open
                 {dir / "short", "35 bytes, shorter than the 36-byte header"}};
    for (const auto& c : cases) {
        EXPECT_NE(FailureText([&] { ReadDrawing(c.path, d); }).find(c.says), std::string::npos)
            << c.path;
    }
    EXPECT_EQ(d.LastIndex, 0); // untouched by the failed reads
}

TEST(ExportWrite, ReplacesTheTargetWholeAndLeavesNothingBehindOnFailure) {
    TempDir dir;
    const std::string target = dir / "out.png";
    WriteBytes(target, "old content that is longer");
    ::chmod(target.c_str(), 0640);
    WriteFileReplacing(target, "new");
    EXPECT_EQ(ReadBytes(target), "new");
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u); // the replaced file keeps its permissions

    // Through a symbolic link: the file it names changes, the link stays.
    ASSERT_EQ(::symlink("out.png", (dir / "link.png").c_str()), 0);
    WriteFileReplacing(dir / "link.png", "via link");
    EXPECT_EQ(ReadBytes(target), "via link");
    ::lstat((dir / "link.png").c_str(), &st);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    std::filesystem::create_directory(dir / "sub");
    EXPECT_NE(FailureText([&] { WriteFileReplacing(dir / "sub", "x"); }).find("is a directory"),
              std::string::npos);
    EXPECT_NE(FailureText([&] { WriteFileReplacing(dir / "none/x.png", "x"); }).find("none/x.png"),
              std::string::npos);
    EXPECT_EQ(dir.list(), (std::vector<std::string>{"link.png", "out.png", "sub"}));

    // The output may not be the input under another name.
    ASSERT_EQ(::link(target.c_str(), (dir / "hard.png").c_str()), 0);
    EXPECT_NE(FailureText([&] { RefuseToOverwrite(target, dir / "hard.png"); }).find("input"),
              std::string::npos);
    RefuseToOverwrite(target, dir / "new.png"); // a new file is fine
}

TEST(ExportWrite, PngHoldsTheCanvasPixels) {
    TCanvas canvas(3, 5);
    canvas.setPixel(0, 0, 0x0000FF);
    canvas.setPixel(2, 4, 0x123456);
    const std::string png = EncodePng(canvas);
    QImage image;
    ASSERT_TRUE(image.loadFromData(reinterpret_cast<const uchar*>(png.data()),
                                   static_cast<int>(png.size()), "PNG"));
    ASSERT_EQ(image.size(), QSize(3, 5));
    EXPECT_EQ(image.pixel(0, 0), 0xFFFF0000u); // red
    EXPECT_EQ(image.pixel(2, 4), 0xFF563412u);
    EXPECT_EQ(image.pixel(1, 1), 0xFFFFFFFFu);
}
