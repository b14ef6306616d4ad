// Saving a big drawing while the message queue is pumped: what handlers do
// meanwhile changes neither the file nor the reported size, and of two saves
// of one file the later one wins.
#include "engine/format/drawing.h"
#include "engine/format/recording.h"
#include "tests/support/fake_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>

using namespace vellograph;
using namespace vellograph::test;

namespace {

constexpr std::int64_t BigRecords = 200000; // two slices: one pump between them

TAVecImage PatternDrawing(std::int64_t records) {
    TAVecImage d;
    const std::string file = PatternFile(records);
    std::copy_n(file.begin(), HeaderSize, d.Header.begin());
    d.Commands.resize(static_cast<std::size_t>(records));
    std::copy_n(file.begin() + HeaderSize, records * 6, reinterpret_cast<char*>(d.Commands.data()));
    d.LastIndex = static_cast<std::int32_t>(records) - 1;
    return d;
}

void Stroke(TAVecImage& d) {
    AddCommand(d, 10, 10, 0, 0, NoIndex, 1.0, 0.0, CmdMove);
    AddCommand(d, 90, 40, 0, 0, NoIndex, 1.0, 0.0, CmdLine);
}

class SavePumpTest : public ::testing::Test {
protected:
    FakeHost host;
    ScopedHost scoped{host};
    TempDir dir;
    std::string target = dir.file("big.vlgf");
    TAVecImage drawing = PatternDrawing(BigRecords);

    // Saves the drawing with `change` run in the first pump; returns the size.
    std::int32_t SaveChangedInFirstPump(const std::function<void()>& change) {
        bool changed = false;
        host.OnPumpOrWait([&] {
            if (!std::exchange(changed, true)) {
                change();
            }
        });
        std::int32_t saved = 0;
        SaveDrawing(target, drawing, saved);
        host.OnPumpOrWait(nullptr);
        return saved;
    }
};

TEST_F(SavePumpTest, TheFileHoldsTheDrawingAsItWasWhateverHandlersDoMeanwhile) {
    WriteBytes(dir.file("other.vlgf"), PatternFile(7));
    const struct {
        const char* what;
        std::function<void(TAVecImage&)> change;
    } cases[] = {
        {"strokes appended", [](TAVecImage& d) { Stroke(d); }},
        {"undone far back, then a stroke",
         [](TAVecImage& d) {
             d.LastIndex -= 150000;
             Stroke(d);
         }},
        {"a record overwritten in place",
         [](TAVecImage& d) { AddCommand(d, 0, 0, 0, 0, 190000, 1.0, 0.0, CmdColor); }},
        {"a new drawing", [](TAVecImage& d) { NewDrawing(d); }},
        {"another file loaded", [&](TAVecImage& d) { LoadDrawing(dir.file("other.vlgf"), d); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        drawing = PatternDrawing(BigRecords);
        host.pumps = 0;
        host.messages.clear();
        const std::int32_t saved = SaveChangedInFirstPump([&] { c.change(drawing); });
        EXPECT_EQ(saved, 36 + 6 * BigRecords);
        // Compared whole: a diff of two megabytes would take gigabytes to print.
        EXPECT_TRUE(ReadBytes(target) == PatternFile(BigRecords));
        EXPECT_GE(host.pumps, 1); // between the slices, and while the disk works if it is slow
        EXPECT_FALSE(CommandBytes(drawing) == CommandBytes(PatternDrawing(BigRecords)));
    }
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"big.vlgf", "other.vlgf"}));
}

TEST_F(SavePumpTest, ADrawingOfOneSliceIsSavedWithoutPumping) {
    for (const std::int64_t records : {std::int64_t{131072}, std::int64_t{131073}}) {
        host.pumps = 0;
        std::int32_t saved = 0;
        SaveDrawing(target, PatternDrawing(records), saved);
        EXPECT_TRUE(ReadBytes(target) == PatternFile(records));
        EXPECT_EQ(host.pumps > 0, records > 131072) << records;
    }
}

// A save made inside another's pump is the user's later wish: the earlier
// one must not put its older content over it.
TEST_F(SavePumpTest, ALaterSaveOfTheSameFileWinsAndNoOtherIsDisturbed) {
    std::int32_t innerSize = 0;
    std::int32_t otherSize = 0;
    const std::int32_t saved = SaveChangedInFirstPump([&] {
        TAVecImage bigger = PatternDrawing(BigRecords + 5);
        SaveDrawing(dir.file("other.vlgf"), bigger, otherSize);
        NewDrawing(drawing);
        SaveDrawing(dir.file("./big.vlgf"), drawing, innerSize); // another name of the file
    });
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(innerSize, 48);
    EXPECT_EQ(saved, 48); // the size of the file that is there
    EXPECT_EQ(ReadBytes(target), StandardHeaderText + "c0000\np0200\n");
    EXPECT_EQ(otherSize, 36 + 6 * (BigRecords + 5));
    EXPECT_TRUE(ReadBytes(dir.file("other.vlgf")) == PatternFile(BigRecords + 5));
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"big.vlgf", "other.vlgf"}));
}

TEST_F(SavePumpTest, RecordsCutOffBehindItsBackFailTheSaveAndKeepTheOldFile) {
    WriteBytes(target, PatternFile(3));
    std::int32_t saved = -7;
    host.OnPumpOrWait([&] { drawing.Commands.resize(10); });
    SaveDrawing(target, drawing, saved);
    EXPECT_EQ(saved, -7);
    EXPECT_EQ(host.messages, std::vector<std::string>{MsgSaveFailed});
    EXPECT_EQ(ReadBytes(target), PatternFile(3));
    EXPECT_EQ(Listing(dir.path()), std::set<std::string>{"big.vlgf"});
}

} // namespace
