// Views: the defaults, the forward mapping's rotation sense and truncation,
// and agreement between the one-off and the loop mapping.
#include "engine/playback/view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

using namespace vellograph;

namespace {

TEST(ViewTest, ResetRestoresEveryDefault) {
    TViewParams v{4000, 3000, -17, 99, 2.5, 0.125}; // what a fit and the panel leave behind
    ResetView(v);
    EXPECT_EQ(v.ExtentX, 1366);
    EXPECT_EQ(v.ExtentY, 768);
    EXPECT_EQ(v.OriginX, 0);
    EXPECT_EQ(v.OriginY, 0);
    EXPECT_EQ(v.Angle, 0.0);
    EXPECT_EQ(v.Scale, 1.0);
}

TEST(ViewTest, MapToScreenWorkedCases) {
    const struct {
        std::int32_t x, y, originX, originY;
        double scale, angle;
        TPoint expected;
    } cases[] = {
        {10, 20, 100, 50, 2.0, 0.0, {120, 90}},
        {10, 0, 0, 0, 1.0, std::numbers::pi / 2, {0, -10}}, // x points up; the tiny cosine
                                                            // truncates away
        {100, 0, 0, 0, 1.0, 1.5, {7, -99}},                 // 7.07 and -99.75, toward zero
        {3, 5, 0, 0, 0.25, 0.0, {0, 1}},                    // 0.75 and 1.25
        {-3, -5, 0, 0, 0.25, 0.0, {0, -1}},                 // -0.75 and -1.25
        {0, 10, 0, 0, 1.0, std::numbers::pi / 2, {10, 0}},
        {-50, -60, 10, 20, 1.0, 0.0, {-40, -40}}, // no clipping
        {13311, -3120, INT32_MAX - 9, INT32_MIN + 9, 1.0, 0.0, {INT32_MAX, INT32_MIN}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " angle " << c.angle);
        const TViewParams view{1366, 768, c.originX, c.originY, c.angle, c.scale};
        EXPECT_EQ(MapToScreen(c.x, c.y, view), c.expected);
        EXPECT_EQ(TViewMapper(view).map(c.x, c.y), c.expected);
    }
}

TEST(ViewTest, DefaultViewIsTheIdentity) {
    TViewParams view{};
    ResetView(view);
    for (const std::int32_t x : {-13311, -3120, -1, 0, 1, 683, 4095, 13311}) {
        for (const std::int32_t y : {-3120, 0, 7, 767, 13311}) {
            ASSERT_EQ(MapToScreen(x, y, view), (TPoint{x, y}));
        }
    }
}

TEST(ViewTest, FarPointsSaturateInsteadOfWrapping) {
    const TViewParams huge{1366, 768, 0, 0, 0.0, 1e9};
    EXPECT_EQ(MapToScreen(13311, -13311, huge), (TPoint{std::numeric_limits<std::int32_t>::max(),
                                                        std::numeric_limits<std::int32_t>::min()}));
    EXPECT_EQ(TruncToInt32(std::nan("")), 0);
    EXPECT_EQ(TruncToInt32(-0.7), 0);
    EXPECT_EQ(TruncToInt32(-99.75), -99);
}

} // namespace
