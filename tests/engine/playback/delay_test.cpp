// DelayMs: how long it waits, across a wrap of the tick counter, without spinning.
#include "engine/playback/render.h"
#include "tests/support/fake_host.h"

#include <gtest/gtest.h>

using namespace vellograph;
using namespace vellograph::test;

namespace {

TEST(DelayMs, ZeroOrNegativePumpsOnceAndReturns) {
    for (const std::int32_t ms : {0, -1, INT32_MIN}) {
        FakeHost host;
        ScopedHost scoped(host);
        host.clock = 0xFFFFFFFF;
        DelayMs(ms);
        EXPECT_EQ(host.pumps + host.waits, 1) << ms;
        EXPECT_EQ(host.clock, 0xFFFFFFFFu) << ms;
    }
}

TEST(DelayMs, WaitsExactlyAsLongAcrossAWrapOfTheTickCounter) {
    const std::uint32_t starts[] = {0, 1000, 0xFFFFFFF0, 0xFFFFFFFF, 0x7FFFFFF0, 0xFFFFFFFF - 9999};
    const std::int32_t delays[] = {1, 16, 50, 10000, INT32_MAX};
    // Events end a wait early after this long, so the wait is resumed.
    const std::uint32_t slices[] = {UINT32_MAX, 7, 1};
    for (const std::uint32_t start : starts) {
        for (const std::int32_t ms : delays) {
            for (const std::uint32_t slice : slices) {
                if (slice != UINT32_MAX && ms > 10000) {
                    continue; // millions of fake events prove nothing more
                }
                SCOPED_TRACE(testing::Message() << std::hex << "start 0x" << start << std::dec
                                                << ", " << ms << " ms, slice " << slice);
                FakeHost host;
                ScopedHost scoped(host);
                host.clock = start;
                host.waitSlice = slice;
                DelayMs(ms);
                // The fake clock moves only while waiting: any shortfall or
                // extra wait shows as a difference here.
                EXPECT_EQ(host.clock - start, static_cast<std::uint32_t>(ms));
            }
        }
    }
}

TEST(DelayMs, WorkBetweenTicksNeverShortensTheWait) {
    for (const std::uint32_t step : {1u, 3u, 40u}) {
        FakeHost host;
        ScopedHost scoped(host);
        host.clock = 0xFFFFFFF8;
        host.tickStep = step; // the clock also runs while messages are handled
        host.waitSlice = 5;
        DelayMs(100);
        const std::uint32_t elapsed = host.clock - 0xFFFFFFF8u;
        EXPECT_GE(elapsed, 100u) << step;
        EXPECT_LE(elapsed, 100u + 2 * step + 5) << step;
    }
}

TEST(DelayMs, BlocksOnTheQueueInsteadOfSpinning) {
    FakeHost host;
    ScopedHost scoped(host);
    host.tickStep = 1; // a spinning wait would need 2000 reads
    DelayMs(2000);
    EXPECT_LE(host.tickReads, 4);
    ASSERT_FALSE(host.waitRequests.empty());
    EXPECT_GE(host.waitRequests.front(), 1990u); // asks to sleep for the whole rest

    // Events every 100 ms are handled as they come.
    FakeHost busy;
    ScopedHost again(busy);
    busy.waitSlice = 100;
    int handled = 0;
    busy.OnPumpOrWait([&] { ++handled; });
    DelayMs(2000);
    EXPECT_EQ(busy.waits, 20);
    EXPECT_GE(handled, 20);
    EXPECT_EQ(busy.waitRequests.back(), 100u);
}

} // namespace
