// Playback order: the range, the pump cadence, stop requests and end markers.
#include "engine/playback/render.h"
#include "tests/support/fake_host.h"
#include "tests/support/test_records.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace vellograph;
using namespace vellograph::test;

namespace {

std::vector<std::int32_t> Range(std::int32_t first, std::int32_t last) {
    std::vector<std::int32_t> v;
    for (std::int32_t i = first; i <= last; ++i) {
        v.push_back(i);
    }
    return v;
}

class RenderOrder : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRenderGlobals();
        // Every pump logs the record played just before it.
        host.OnPumpOrWait([this] { pumped.push_back(Untag(PenColor)); });
    }
    void TearDown() override { ResetRenderGlobals(); }
    void Play(TAVecImage& d, std::int32_t start, std::int32_t end) {
        RenderDrawing(canvas, d, 0, 0, start, end, 1.0, 0.0);
    }

    FakeHost host;
    ScopedHost scoped{host};
    TCanvas canvas{8, 8};
    std::vector<std::int32_t> pumped;
};

constexpr std::int32_t Untouched = 4; // LastFillIndex before the playback

TEST_F(RenderOrder, RangeIsClampedAndFillIndexResetOnlyFromRecordZero) {
    const struct {
        const char* name;
        std::int32_t stored, lastIndex, start, end;
        std::vector<std::int32_t> played;
        std::int32_t fillIndex;
    } cases[] = {
        {"start -5, end 10", 21, 20, -5, 10, Range(0, 10), NoIndex},
        {"start 0 on an empty drawing", 0, -1, 0, 10, {}, NoIndex},
        {"start 7, end 3", 21, 20, 7, 3, {}, Untouched},
        {"end NoIndex plays to LastIndex", 21, 20, 2, NoIndex, Range(2, 20), Untouched},
        {"undone records are not played", 21, 12, 0, NoIndex, Range(0, 12), NoIndex},
        {"start beyond LastIndex", 21, 20, 25, NoIndex, {}, Untouched},
        {"one record", 21, 20, 5, 5, {5}, Untouched},
    };
    Pace = 1; // a pump after every record lists what was played
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TAVecImage d = TaggedDrawing(c.stored);
        d.LastIndex = c.lastIndex;
        d.LastFillIndex = Untouched;
        pumped.clear();
        Play(d, c.start, c.end);
        EXPECT_EQ(pumped, c.played);
        EXPECT_EQ(d.LastFillIndex, c.fillIndex);
    }
}

TEST_F(RenderOrder, PumpsFollowIndicesDivisibleByPaceCountedFromZero) {
    const struct {
        std::int32_t pace, start, end;
        std::vector<std::int32_t> pumps;
    } cases[] = {
        {3, 0, 10, {0, 3, 6, 9}},
        {3, 2, 10, {3, 6, 9}}, // not 2, 5, 8
        {3, 4, 5, {}},
        {1, 4, 6, {4, 5, 6}},
        {64, 0, 199, {0, 64, 128, 192}},
        {4096, 1, 199, {}},
        {0, 0, 2, {0, 1, 2}}, // a broken Pace must not divide by zero
        {-3, 0, 2, {0, 1, 2}},
    };
    TAVecImage d = TaggedDrawing(200);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "Pace " << c.pace << ", " << c.start << ".." << c.end);
        Pace = c.pace;
        pumped.clear();
        Play(d, c.start, c.end);
        EXPECT_EQ(pumped, c.pumps);
    }
}

TEST_F(RenderOrder, NewPaceTakesEffectFromTheNextRecord) {
    TAVecImage d = TaggedDrawing(10);
    Pace = 3;
    host.OnPumpOrWait([this] {
        pumped.push_back(Untag(PenColor));
        if (PenColor == Tag(3)) {
            Pace = 1;
        }
    });
    Play(d, 0, NoIndex);
    EXPECT_EQ(pumped, (std::vector<std::int32_t>{0, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(RenderOrder, StopRequestsEndThePlaybackAfterTheCurrentRecord) {
    TAVecImage d = TaggedDrawing(10);
    Pace = 1;

    // A request made while nothing played: the next playback draws its
    // start record only, and uses the request up.
    RequestStop();
    Play(d, 4, NoIndex);
    EXPECT_EQ(pumped, (std::vector<std::int32_t>{4}));
    EXPECT_EQ(PenColor, Tag(4));
    EXPECT_FALSE(StopRequested);

    // A request that arrives in a pump is obeyed right after that pump.
    pumped.clear();
    host.OnPumpOrWait([this] {
        pumped.push_back(Untag(PenColor));
        StopRequested = PenColor == Tag(3);
    });
    Play(d, 0, NoIndex);
    EXPECT_EQ(pumped, Range(0, 3));
    EXPECT_EQ(PenColor, Tag(3));
    EXPECT_FALSE(StopRequested);
}

TEST_F(RenderOrder, EndMarkerEndsAtOnceWithoutPumpOrStopTest) {
    Pace = 1;
    TAVecImage d = TaggedDrawing(8);
    d.Commands[3] = MakeEndMarker();
    Play(d, 0, NoIndex);
    EXPECT_EQ(pumped, Range(0, 2)); // no pump after the marker itself
    EXPECT_EQ(PenColor, Tag(2));

    // Only the first four bytes matter.
    pumped.clear();
    d.Commands[3] = {CmdEnd, {'E', 'N', 'D', 0x00}, 0x00};
    Play(d, 0, NoIndex);
    EXPECT_EQ(pumped, Range(0, 2));

    // A marker at the start leaves a pending stop pending.
    pumped.clear();
    d.Commands[0] = MakeEndMarker();
    RequestStop();
    Play(d, 0, NoIndex);
    EXPECT_TRUE(pumped.empty());
    EXPECT_TRUE(StopRequested);
    StopRequested = false;

    // "iEN" with another fourth byte is no marker and does nothing.
    pumped.clear();
    d.Commands[0] = Raw(CmdEnd, 'E', 'N', 'X', '0');
    PenColor = Tag(77);
    Play(d, 0, 4);
    EXPECT_EQ(pumped, (std::vector<std::int32_t>{77, 1, 2}));
}

} // namespace
