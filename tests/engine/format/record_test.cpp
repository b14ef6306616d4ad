// Record codecs: worked encodings, round trips, wraps and hostile bytes.
#include "engine/format/record.h"

#include <gtest/gtest.h>

using namespace vellograph;

TEST(NumberCodec, WorkedEncodings) {
    const struct {
        std::int32_t value;
        std::uint8_t high, low;
    } cases[] = {{0, 0x30, 0x30},    {2, 0x30, 0x32},    {100, 0x31, 0x54},   {200, 0x33, 0x38},
                 {4095, 0x6F, 0x6F}, {5000, 0x7E, 0x38}, {10000, 0xCC, 0x40}, {13312, 0x00, 0x30}};
    for (const auto& c : cases) {
        const auto e = EncodeNumber(c.value);
        EXPECT_EQ(e[0], c.high) << c.value;
        EXPECT_EQ(e[1], c.low) << c.value;
    }
    EXPECT_EQ(DecodeNumber(0x31, 0x54), 100);
}

TEST(NumberCodec, RoundTripsUpTo13311AndWrapsAfter) {
    for (std::int32_t v = 0; v <= 13311; ++v) {
        const auto e = EncodeNumber(v);
        ASSERT_EQ(DecodeNumber(e[0], e[1]), v);
    }
    const auto e = EncodeNumber(13312);
    EXPECT_EQ(DecodeNumber(e[0], e[1]), -3072);
    EXPECT_EQ(DecodeNumber(0, 0), -3120); // bytes below '0' decode to negatives
    EXPECT_EQ(DecodeNumber(0xFF, 0xFF), 207 * 64 + 207);
}

TEST(ColorCodec, WorkedEncodings) {
    const struct {
        TColor color;
        std::array<std::uint8_t, 4> digits;
    } cases[] = {{0x000000, {0x30, 0x30, 0x30, 0x30}},
                 {0xFFFFFF, {0x6F, 0x6F, 0x6F, 0x6F}},
                 {0x0000FF, {0x60, 0x6F, 0x30, 0x30}},
                 {0x00FF00, {0x3C, 0x30, 0x6F, 0x30}},
                 {0xFF0000, {0x33, 0x30, 0x30, 0x6F}}};
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeColor(c.color), c.digits) << std::hex << c.color;
        EXPECT_EQ(DecodeColor(c.digits), c.color) << std::hex << c.color;
    }
    EXPECT_EQ(EncodeColor(0xAB123456), EncodeColor(0x123456)); // bits above 23 dropped
}

TEST(ColorCodec, EveryColourRoundTrips) {
    for (TColor c = 0; c <= 0xFFFFFF; ++c) {
        ASSERT_EQ(DecodeColor(EncodeColor(c)), c);
    }
}

TEST(ColorCodec, AnyBytesDecodeToA24BitColour) {
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<std::uint8_t>(b);
        EXPECT_LE(DecodeColor({u, u, static_cast<std::uint8_t>(255 - b), 0}), 0xFFFFFFu);
    }
}

TEST(EndMarker, OnlyIENDCounts) {
    EXPECT_TRUE(IsEndMarker({'i', {'E', 'N', 'D', 0}, 0}));
    EXPECT_TRUE(IsEndMarker({'i', {'E', 'N', 'D', 'x'}, 'y'}));
    EXPECT_FALSE(IsEndMarker({'i', {'E', 'N', 'X', '0'}, '\n'}));
    EXPECT_FALSE(IsEndMarker({'I', {'E', 'N', 'D', '0'}, '\n'}));
}
