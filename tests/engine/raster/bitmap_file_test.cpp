// The BMP writer: header fields, row padding, pixel order, failures.
#include "engine/raster/bitmap_file.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/resource.h>
#include <unistd.h>

using namespace vellograph;
namespace fs = std::filesystem;

namespace {

class BitmapFile : public ::testing::Test {
protected:
    std::vector<std::uint8_t> Read(const fs::path& p) const {
        const std::string bytes = test::ReadBytes(p);
        return {bytes.begin(), bytes.end()};
    }
    static std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
        return b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
               static_cast<std::uint32_t>(b[at + 3]) << 24;
    }
    static std::uint32_t U16(const std::vector<std::uint8_t>& b, std::size_t at) {
        return b[at] | b[at + 1] << 8;
    }

    test::TempDir temp;
    fs::path dir = temp.path();
};

TEST_F(BitmapFile, HeaderFieldsAndPaddingForEveryRowWidth) {
    const struct {
        int width, height;
        std::uint32_t rowSize;
    } cases[] = {{1, 1, 4}, {2, 3, 8}, {3, 2, 12}, {4, 1, 12}, {5, 2, 16}, {7, 1, 24}, {8, 2, 24}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        TCanvas canvas(c.width, c.height);
        const fs::path out = dir / "shot.bmp";
        ASSERT_TRUE(SaveBitmapFile(canvas, out.string()));
        const auto b = Read(out);
        const std::uint32_t imageSize = c.rowSize * static_cast<std::uint32_t>(c.height);
        ASSERT_EQ(b.size(), 54 + imageSize);
        EXPECT_EQ(b[0], 'B');
        EXPECT_EQ(b[1], 'M');
        EXPECT_EQ(U32(b, 2), 54 + imageSize);
        EXPECT_EQ(U32(b, 6), 0u); // reserved
        EXPECT_EQ(U32(b, 10), 54u);
        EXPECT_EQ(U32(b, 14), 40u);
        EXPECT_EQ(U32(b, 18), static_cast<std::uint32_t>(c.width));
        EXPECT_EQ(U32(b, 22), static_cast<std::uint32_t>(c.height)); // positive: bottom-up
        EXPECT_EQ(U16(b, 26), 1u);
        EXPECT_EQ(U16(b, 28), 24u);
        EXPECT_EQ(U32(b, 30), 0u); // uncompressed
        EXPECT_EQ(U32(b, 34), imageSize);
        EXPECT_EQ(U32(b, 46), 0u); // no palette
        for (int row = 0; row < c.height; ++row) {
            for (std::uint32_t k = 3 * c.width; k < c.rowSize; ++k) {
                EXPECT_EQ(b[54 + row * c.rowSize + k], 0) << "padding byte " << k;
            }
        }
    }
}

TEST_F(BitmapFile, RowsBottomUpPixelsBlueGreenRed) {
    TCanvas canvas(3, 2);
    canvas.setPixel(0, 0, 0x0000FF); // red, top left
    canvas.setPixel(2, 0, 0x123456);
    canvas.setPixel(1, 1, 0xFF0000); // blue, bottom middle
    const fs::path out = dir / "order.bmp";
    ASSERT_TRUE(SaveBitmapFile(canvas, out.string()));
    const auto b = Read(out);
    const std::vector<std::uint8_t> pixels(b.begin() + 54, b.end());
    const std::vector<std::uint8_t> expected = {
        0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0, 0, 0, // bottom row
        0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0x34, 0x56, 0, 0, 0, // top row
    };
    EXPECT_EQ(pixels, expected);
}

TEST_F(BitmapFile, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    const fs::path out = dir / "old.bmp";
    std::ofstream(out) << "previous contents";
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(SaveBitmapFile(TCanvas(2, 2), out.string()));
    EXPECT_EQ(Read(out).size(), 54u + 16u);
    EXPECT_EQ(test::Listing(dir), std::set<std::string>{"old.bmp"});
    EXPECT_EQ(fs::status(out).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(BitmapFile, FailuresGiveTheReasonAndLeaveNothingBehind) {
    fs::create_directory(dir / "sub");
    std::ofstream(dir / "kept.bmp") << "keep me";
    const TCanvas canvas(4, 4);

    const struct {
        fs::path target;
        const char* reason;
    } cases[] = {
        {dir / "missing" / "x.bmp", "No such file or directory"},
        {dir / "sub", "Is a directory"},
        {dir / "sub/", "Is a directory"},
        {dir / "kept.bmp" / "x.bmp", "Not a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const TFileResult r = SaveBitmapFile(canvas, c.target.string());
        EXPECT_FALSE(r);
        EXPECT_EQ(r.reason, c.reason);
    }
    EXPECT_EQ(test::Listing(dir), (std::set<std::string>{"kept.bmp", "sub"}));
    EXPECT_TRUE(fs::is_empty(dir / "sub"));
    EXPECT_EQ(CannotCreateFileText("/a/b.bmp", "Permission denied"),
              "Cannot create file \"/a/b.bmp\". Permission denied");
}

TEST_F(BitmapFile, AWriteThatFailsHalfWayLeavesTheOldFile) {
    std::ofstream(dir / "kept.bmp") << "keep me";
    // A file size limit makes the write fail part of the way through, as a
    // full disk would.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const TFileResult r = SaveBitmapFile(TCanvas(100, 100), (dir / "kept.bmp").string());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(r);
    EXPECT_EQ(r.reason, "File too large");
    EXPECT_EQ(Read(dir / "kept.bmp").size(), 7u);
    EXPECT_EQ(test::Listing(dir), std::set<std::string>{"kept.bmp"});
}

TEST_F(BitmapFile, ReadOnlyFilesAndFoldersAreLeftAlone) {
    std::ofstream(dir / "kept.bmp") << "keep me";
    fs::create_directory(dir / "sub");
    const TCanvas canvas(4, 4);
    // A read-only file is not replaced, by root either.
    fs::permissions(dir / "kept.bmp", fs::perms::owner_read);
    EXPECT_EQ(SaveBitmapFile(canvas, (dir / "kept.bmp").string()).reason, "Permission denied");
    EXPECT_EQ(Read(dir / "kept.bmp").size(), 7u);
    if (::geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not hold back root";
    }
    // A read-only folder takes nothing.
    fs::permissions(dir / "sub", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(SaveBitmapFile(canvas, (dir / "sub" / "x.bmp").string()).reason, "Permission denied");
    EXPECT_EQ(Read(dir / "kept.bmp").size(), 7u);
    EXPECT_EQ(test::Listing(dir), (std::set<std::string>{"kept.bmp", "sub"}));
    fs::permissions(dir / "sub", fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(dir / "sub"));
}

} // namespace
