// The two-halves 128-bit integer against the compiler's own, where there is one.
#include "engine/raster/wide_int.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#if defined(__SIZEOF_INT128__)
namespace {

using vellograph::raster::WideInt;
__extension__ typedef __int128 Native;
__extension__ typedef unsigned __int128 Wrapping; // sums and products may overflow

// Operands as the clipping makes them, products of two int64 values, and the
// extremes where carries and signs go wrong.
struct Operand {
    WideInt wide;
    Native native;
};
Operand Make(std::int64_t a, std::int64_t b) {
    return {WideInt{a} * WideInt{b}, Native{a} * b};
}

TEST(WideInt, AgreesWithTheNativeType) {
    constexpr std::int64_t Min = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t Max = std::numeric_limits<std::int64_t>::max();
    const std::int64_t edges[] = {0, 1, -1, 2, -2, Min, Max, 1LL << 32, -(1LL << 33) + 1};
    std::mt19937_64 rng(23);
    std::uniform_int_distribution<int> bits(0, 63);
    auto any = [&] {
        const auto v = static_cast<std::int64_t>(rng() >> bits(rng));
        return rng() % 2 ? v : ~v; // ~, not -: v may be the minimum
    };
    for (int i = 0; i < 20000; ++i) {
        const Operand x = Make(i < 81 ? edges[i % 9] : any(), i < 81 ? 1 : any());
        const Operand y = Make(i < 81 ? edges[i / 9] : any(), i % 3 ? 1 : any());
        auto same = [](WideInt w, Wrapping n) {
            EXPECT_EQ(static_cast<std::uint64_t>(static_cast<std::int64_t>(w)),
                      static_cast<std::uint64_t>(n));
            EXPECT_EQ(w.high(), static_cast<std::uint64_t>(n >> 64));
        };
        const Wrapping a = static_cast<Wrapping>(x.native), b = static_cast<Wrapping>(y.native);
        same(x.wide + y.wide, a + b);
        same(x.wide - y.wide, a - b);
        same(x.wide * y.wide, a * b);
        // The high halves too: the quotient and the comparisons see them.
        EXPECT_EQ(x.wide < y.wide, x.native < y.native) << i;
        EXPECT_EQ(x.wide == y.wide, x.native == y.native) << i;
        // |x| stays below 2^127, so no quotient overflows.
        if (y.native != 0) {
            const Native q = x.native / y.native;
            same(x.wide / y.wide, static_cast<Wrapping>(q));
            same(x.wide % y.wide, static_cast<Wrapping>(x.native % y.native));
        }
    }
}

} // namespace
#endif
