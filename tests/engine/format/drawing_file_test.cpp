// Drawing files: what a save writes, what a load makes of every file shape,
// and the pump cadence of a long load.
#include "engine/format/drawing.h"
#include "tests/support/fake_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vellograph;
using namespace vellograph::test;

namespace {

class DrawingFileTest : public ::testing::Test {
protected:
    FakeHost host;
    ScopedHost scoped{host};
    TempDir dir;
};

TEST_F(DrawingFileTest, FreshDrawingSavesAs48Bytes) {
    TAVecImage d;
    NewDrawing(d);
    std::int32_t saved = 0;
    SaveDrawing(dir.file("fresh.vlgf"), d, saved);
    EXPECT_EQ(ReadBytes(dir.file("fresh.vlgf")), StandardHeaderText + "c0000\np0200\n");
    EXPECT_EQ(saved, 48);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(DrawingFileTest, UndoneRecordsAreNotSaved) {
    TAVecImage d;
    NewDrawing(d);
    d.LastIndex = -1;
    std::int32_t saved = 0;
    SaveDrawing(dir.file("empty.vlgf"), d, saved);
    EXPECT_EQ(ReadBytes(dir.file("empty.vlgf")), StandardHeaderText);
    EXPECT_EQ(saved, 36);

    d = DistinctDrawing(); // five records, LastIndex 3
    SaveDrawing(dir.file("undone.vlgf"), d, saved);
    EXPECT_EQ(ReadBytes(dir.file("undone.vlgf")),
              std::string(36, '#') + CommandBytes(d).substr(0, 24));
    EXPECT_EQ(saved, 60);
}

// Every file size from 0 to 50 bytes: how many records, which header bytes,
// and zero padding of a short last record.
TEST_F(DrawingFileTest, EverySmallFileSizeLoads) {
    const std::string full = PatternFile(3, "abcdefghijklmnopqrstuvwxyz0123456789");
    for (std::size_t size = 0; size <= 50; ++size) {
        SCOPED_TRACE(size);
        WriteBytes(dir.file("small"), full.substr(0, size));
        TAVecImage d = DistinctDrawing();
        host.messages.clear();
        LoadDrawing(dir.file("small"), d);
        EXPECT_EQ(host.messages, std::vector<std::string>{MsgLoaded});
        const std::size_t headerBytes = std::min<std::size_t>(size, 36);
        // Bytes the file supplies replace the header; the rest stays.
        EXPECT_EQ(std::string(d.Header.data(), 36),
                  full.substr(0, headerBytes) + std::string(36 - headerBytes, '#'));
        EXPECT_EQ(d.HeaderLastIndex, static_cast<std::uint8_t>(headerBytes - 1));
        const std::size_t records = size <= 36 ? 1 : (size - 36 + 5) / 6;
        ASSERT_EQ(d.Commands.size(), records);
        EXPECT_EQ(d.LastIndex, static_cast<std::int32_t>(records) - 1);
        EXPECT_EQ(d.LastFillIndex, 0);
        std::string expected = full.substr(36, size > 36 ? size - 36 : 0);
        expected.resize(records * 6, '\0');
        EXPECT_EQ(CommandBytes(d), expected);
    }
}

TEST_F(DrawingFileTest, WorkedSmallFiles) {
    TAVecImage d;
    NewDrawing(d);
    std::int32_t saved = 0;
    d.LastIndex = -1;
    SaveDrawing(dir.file("header-only.vlgf"), d, saved);
    d = DistinctDrawing();
    LoadDrawing(dir.file("header-only.vlgf"), d); // 36 bytes: one zero record
    EXPECT_EQ(d.HeaderLastIndex, 35);
    EXPECT_EQ(d.LastIndex, 0);
    EXPECT_EQ(CommandBytes(d), std::string(6, '\0'));

    WriteBytes(dir.file("47.vlgf"), StandardHeaderText + "m1T38\nl1T38");
    LoadDrawing(dir.file("47.vlgf"), d);
    EXPECT_EQ(d.LastIndex, 1);
    EXPECT_EQ(CommandBytes(d), std::string("m1T38\nl1T38") + '\0');

    WriteBytes(dir.file("empty.vlgf"), "");
    d = DistinctDrawing();
    LoadDrawing(dir.file("empty.vlgf"), d);
    EXPECT_EQ(std::string(d.Header.data(), 36), std::string(36, '#'));
    EXPECT_EQ(d.HeaderLastIndex, 255);
    EXPECT_EQ(CommandBytes(d), std::string(6, '\0'));
    EXPECT_EQ(host.messages, std::vector<std::string>(3, MsgLoaded));
}

// A pump after every 256th record while more follow, never after the last;
// each pump sees exactly the records read so far.
TEST_F(DrawingFileTest, LoadPumpsEvery256RecordsWithAConsistentDrawing) {
    const struct {
        std::int64_t records;
        int pumps;
    } cases[] = {{1, 0},   {255, 0}, {256, 0},     {257, 1},       {512, 1},
                 {513, 2}, {600, 2}, {40000, 156}, {1100000, 4296}}; // the last: more than one read
    for (const auto& c : cases) {
        SCOPED_TRACE(c.records);
        const std::string file = PatternFile(c.records);
        WriteBytes(dir.file("long.vlgf"), file);
        TAVecImage d = DistinctDrawing();
        host.pumps = 0;
        std::vector<std::int32_t> seen;
        host.onPump = [&] {
            seen.push_back(d.LastIndex);
            ASSERT_EQ(d.Commands.size(), static_cast<std::size_t>(d.LastIndex) + 1);
            EXPECT_EQ(RecordText(d.Commands.back()), PatternRecord(d.LastIndex));
            EXPECT_TRUE(LoadInProgress());
        };
        LoadDrawing(dir.file("long.vlgf"), d);
        EXPECT_EQ(host.pumps, c.pumps);
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i], static_cast<std::int32_t>(256 * (i + 1) - 1));
        }
        EXPECT_FALSE(LoadInProgress());
        EXPECT_EQ(d.LastIndex, c.records - 1);
        EXPECT_EQ(CommandBytes(d), file.substr(36));
        EXPECT_EQ(d.Commands.capacity(), d.Commands.size()); // no spare records
    }
}

TEST_F(DrawingFileTest, SavingFewerRecordsOverALongerFileCutsIt) {
    WriteBytes(dir.file("long.vlgf"), PatternFile(100));
    TAVecImage d;
    LoadDrawing(dir.file("long.vlgf"), d);
    d.LastIndex = 9;
    std::int32_t saved = 0;
    SaveDrawing(dir.file("long.vlgf"), d, saved);
    EXPECT_EQ(saved, 96);
    EXPECT_EQ(ReadBytes(dir.file("long.vlgf")), PatternFile(10));
    TAVecImage again;
    LoadDrawing(dir.file("long.vlgf"), again);
    EXPECT_EQ(again.LastIndex, 9);
    EXPECT_EQ(CommandBytes(again), PatternFile(10).substr(36));
}

TEST_F(DrawingFileTest, ForeignHeaderAndAnyNameRoundTripByteForByte) {
    // Any first line, bytes above 0x7F and records no command uses.
    const std::string file = std::string("Some other text \xC0\xFF with no meanings\n") +
                             "\x01\x02\x03\x04\x05\x06" + "d\xCC@00\n" + PatternFile(7, "");
    ASSERT_EQ(file.size(), 36u + 9 * 6);
    WriteBytes(dir.file("foreign"), file);
    TAVecImage d;
    NewDrawing(d);
    LoadDrawing(dir.file("foreign"), d);
    std::int32_t saved = 0;
    for (const char* name : {"copy.vlgf", "copy.txt", "tempSaved.vlgf.tmp"}) {
        SaveDrawing(dir.file(name), d, saved);
        EXPECT_EQ(ReadBytes(dir.file(name)), file) << name;
    }
    EXPECT_EQ(saved, static_cast<std::int32_t>(file.size()));
}

TEST_F(DrawingFileTest, ReadOnlyFileLoadsButIsNotSavedOver) {
    const std::string path = dir.file("readonly.vlgf");
    WriteBytes(path, PatternFile(5));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    TAVecImage d;
    LoadDrawing(path, d);
    EXPECT_EQ(d.LastIndex, 4);
    NewDrawing(d);
    std::int32_t saved = -7;
    SaveDrawing(path, d, saved);
    EXPECT_EQ(host.messages, (std::vector<std::string>{MsgLoaded, MsgSaveFailed}));
    EXPECT_EQ(saved, -7);
    EXPECT_EQ(ReadBytes(path), PatternFile(5));
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
}

TEST_F(DrawingFileTest, MissingFileLeavesTheDrawingAlone) {
    TAVecImage d = DistinctDrawing();
    for (const std::string& name :
         {dir.file("missing.vlgf"), std::string(), dir.file("missing/deeper.vlgf")}) {
        LoadDrawing(name, d);
        ExpectSameDrawing(d, DistinctDrawing());
    }
    EXPECT_EQ(host.messages, std::vector<std::string>(3, MsgLoadFailed));
    EXPECT_FALSE(FileExists(dir.file("missing.vlgf")));
}

} // namespace
