// Playback while pump handlers change the drawing, and repeatable pictures.
#include "engine/playback/render.h"
#include "tests/support/fake_host.h"
#include "tests/support/test_records.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vellograph;
using namespace vellograph::test;

namespace {

class RenderReentry : public ::testing::Test {
protected:
    void SetUp() override { ResetRenderGlobals(); }
    void TearDown() override { ResetRenderGlobals(); }

    FakeHost host;
    ScopedHost scoped{host};
    TCanvas canvas{16, 16};
    std::vector<std::int32_t> pumped;
};

// Storage of exactly the records in force, so that the sanitizers see any
// read past them.
void Truncate(TAVecImage& d, std::int32_t lastIndex) {
    d.LastIndex = lastIndex;
    d.Commands.resize(static_cast<std::size_t>(lastIndex + 1));
    d.Commands.shrink_to_fit();
}

TEST_F(RenderReentry, StopsAtRecordsThatAreUndoneOrGoneMidPlayback) {
    const struct {
        const char* name;
        std::int32_t newLastIndex;
        bool dropStorage; // undo and a new stroke cut the records off
        int appended;     // records the new stroke adds
        std::int32_t lastPlayed;
    } cases[] = {
        {"undo keeps the undone records stored", 9, false, 0, 9},
        {"undo then cut off", 9, true, 0, 9},
        {"undo, cut off, new records", 9, true, 2, 111},
        {"everything undone and cut off", -1, true, 0, 6},
        {"cut off below the current record", 4, true, 0, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TAVecImage d = TaggedDrawing(30);
        bool done = false;
        host.OnPumpOrWait([&] {
            if (done || PenColor != Tag(6)) {
                return;
            }
            done = true;
            if (c.dropStorage) {
                Truncate(d, c.newLastIndex);
            } else {
                d.LastIndex = c.newLastIndex;
            }
            for (int k = 0; k < c.appended; ++k) {
                d.Commands.push_back(Color(Tag(d.LastIndex + 101)));
                ++d.LastIndex;
            }
            d.Commands.shrink_to_fit();
        });
        Pace = 3;
        RenderDrawing(canvas, d, 0, 0, 0, NoIndex, 1.0, 0.0);
        EXPECT_TRUE(done);
        EXPECT_EQ(PenColor, Tag(c.lastPlayed));
    }
}

TEST_F(RenderReentry, RecordsAppendedDuringPlaybackAreNotPlayed) {
    TAVecImage d = TaggedDrawing(6);
    d.Commands.shrink_to_fit(); // the append moves the storage
    host.OnPumpOrWait([&] {
        if (d.LastIndex < 8) {
            d.Commands.push_back(Color(Tag(99)));
            ++d.LastIndex;
        }
    });
    Pace = 1;
    RenderDrawing(canvas, d, 0, 0, 0, NoIndex, 1.0, 0.0);
    EXPECT_EQ(PenColor, Tag(5));
    EXPECT_EQ(d.LastIndex, 8);
}

TEST_F(RenderReentry, NestedPlaybackUsesUpAStopRequestMadeDuringIt) {
    TAVecImage d = TaggedDrawing(10);
    int depth = 0;
    std::vector<int> nestedLast;
    host.OnPumpOrWait([&] {
        if (depth > 0 || PenColor != Tag(3)) {
            return;
        }
        ++depth;
        RequestStop(); // "СТОП" and then a redraw, both queued
        RenderDrawing(canvas, d, 0, 0, 0, NoIndex, 1.0, 0.0);
        nestedLast.push_back(Untag(PenColor));
        --depth;
    });
    Pace = 3;
    RenderDrawing(canvas, d, 0, 0, 0, NoIndex, 1.0, 0.0);
    EXPECT_EQ(nestedLast, std::vector<int>{0}); // the inner one stopped after record 0
    EXPECT_EQ(PenColor, Tag(9));                // the outer one played on to its end
    EXPECT_FALSE(StopRequested);
}

// A pseudo-random drawing with every kind of record; fixed seed.
TAVecImage ScribbleDrawing() {
    TRecords r{Color(0), Width(2)};
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int i = 0; i < 400; ++i) {
        switch (next(40)) {
        case 0:
            r.push_back(Color(next(0x1000000) | 0x100)); // never the border colour
            break;
        case 1:
            r.push_back(Width(1 + static_cast<std::int32_t>(next(6))));
            break;
        case 2:
            r.push_back(Delay(static_cast<std::int32_t>(next(50))));
            break;
        case 3:
            r.push_back(next(4) == 0 ? Fill(next(0x1000000) | 0x100)
                                     : Raw('q', '1', '2', '3', '4'));
            break;
        case 4:
        case 5:
            r.push_back(
                Move(static_cast<std::int32_t>(next(90)), static_cast<std::int32_t>(next(70))));
            break;
        default:
            r.push_back(
                Line(static_cast<std::int32_t>(next(90)), static_cast<std::int32_t>(next(70))));
        }
    }
    return MakeDrawing(std::move(r));
}

TEST_F(RenderReentry, RenderingTheSameDrawingTwiceGivesIdenticalPixels) {
    TAVecImage d = ScribbleDrawing();
    const TViewParams view{1366, 768, 5, 60, 0.4, 0.7};
    TCanvas first(64, 48), again(64, 48), fresh(64, 48);
    RedrawAll(first, d, view);
    RedrawAll(again, d, view);
    RedrawAll(again, d, view); // over its own earlier picture
    ResetRenderGlobals();
    RedrawAll(fresh, d, view); // from other globals and a fresh pen position
    const std::size_t bytes = first.bytesPerLine() * static_cast<std::size_t>(first.height());
    EXPECT_EQ(std::memcmp(first.bits(), again.bits(), bytes), 0);
    EXPECT_EQ(std::memcmp(first.bits(), fresh.bits(), bytes), 0);
    // And the drawing did draw something.
    int white = 0;
    for (std::size_t k = 0; k < bytes / 4; ++k) {
        white += first.bits()[k] == TCanvas::toPixel(0xFFFFFF);
    }
    EXPECT_LT(white, static_cast<int>(bytes / 4));
}

} // namespace
