// A signed 128-bit integer in two 64-bit halves, for compilers without one (32-bit targets).
#pragma once

#include <compare>
#include <cstdint>
#include <utility>

namespace vellograph::raster {

// Two's complement, wrapping like the built-in type. Only what the line
// clipping needs: + - * / %, comparisons, and the low 64 bits back. Division
// truncates towards zero; the clipping divides by positive numbers only.
class WideInt {
public:
    constexpr WideInt() = default;
    constexpr WideInt(std::int64_t v)
        : hi_(v < 0 ? ~std::uint64_t{0} : 0), lo_(static_cast<std::uint64_t>(v)) {}
    explicit constexpr operator std::int64_t() const { return static_cast<std::int64_t>(lo_); }
    constexpr std::uint64_t high() const { return hi_; }

    friend constexpr WideInt operator+(WideInt a, WideInt b) {
        const std::uint64_t lo = a.lo_ + b.lo_;
        return {a.hi_ + b.hi_ + (lo < a.lo_ ? 1 : 0), lo};
    }
    friend constexpr WideInt operator-(WideInt a, WideInt b) {
        return {a.hi_ - b.hi_ - (a.lo_ < b.lo_ ? 1 : 0), a.lo_ - b.lo_};
    }
    // The low 128 bits of the product, whatever the signs.
    friend constexpr WideInt operator*(WideInt a, WideInt b) {
        WideInt r = MulFull(a.lo_, b.lo_);
        r.hi_ += a.hi_ * b.lo_ + a.lo_ * b.hi_;
        return r;
    }
    friend constexpr WideInt operator/(WideInt a, WideInt b) { return DivMod(a, b).first; }
    friend constexpr WideInt operator%(WideInt a, WideInt b) { return DivMod(a, b).second; }

    friend constexpr bool operator==(const WideInt&, const WideInt&) = default;
    friend constexpr std::strong_ordering operator<=>(WideInt a, WideInt b) {
        if (a.hi_ != b.hi_) {
            return static_cast<std::int64_t>(a.hi_) <=> static_cast<std::int64_t>(b.hi_);
        }
        return a.lo_ <=> b.lo_;
    }

private:
    constexpr WideInt(std::uint64_t hi, std::uint64_t lo) : hi_(hi), lo_(lo) {}

    constexpr bool negative() const { return static_cast<std::int64_t>(hi_) < 0; }
    constexpr bool fits64() const {
        return hi_ == (static_cast<std::int64_t>(lo_) < 0 ? ~std::uint64_t{0} : 0);
    }
    constexpr WideInt negated() const { return WideInt{} - *this; }

    static constexpr WideInt MulFull(std::uint64_t a, std::uint64_t b) {
        const std::uint64_t a0 = a & 0xFFFFFFFF, a1 = a >> 32, b0 = b & 0xFFFFFFFF, b1 = b >> 32;
        const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
        const std::uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFF) + (p10 & 0xFFFFFFFF);
        return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & 0xFFFFFFFF)};
    }

    // Quotient and remainder; the remainder takes the sign of n, as with the
    // built-in types.
    static constexpr std::pair<WideInt, WideInt> DivMod(WideInt n, WideInt d) {
        // Most clippings stay within 64 bits, where the processor divides.
        if (n.fits64() && d.fits64() &&
            !(n.lo_ == std::uint64_t{1} << 63 && d.lo_ == ~std::uint64_t{0})) {
            const auto a = static_cast<std::int64_t>(n.lo_), b = static_cast<std::int64_t>(d.lo_);
            return {WideInt{a / b}, WideInt{a % b}};
        }
        const bool nNeg = n.negative(), dNeg = d.negative();
        const WideInt un = nNeg ? n.negated() : n, ud = dNeg ? d.negated() : d;
        // Long division of the magnitudes, one bit at a time.
        WideInt q, r;
        for (int bit = 127; bit >= 0; --bit) {
            r = {(r.hi_ << 1) | (r.lo_ >> 63), (r.lo_ << 1) | (un.bitAt(bit) ? 1 : 0)};
            if (!(Unsigned(r) < Unsigned(ud))) {
                r = r - ud;
                q.setBit(bit);
            }
        }
        return {nNeg != dNeg ? q.negated() : q, nNeg ? r.negated() : r};
    }
    constexpr bool bitAt(int bit) const {
        return ((bit >= 64 ? hi_ >> (bit - 64) : lo_ >> bit) & 1) != 0;
    }
    constexpr void setBit(int bit) { (bit >= 64 ? hi_ : lo_) |= std::uint64_t{1} << (bit & 63); }
    static constexpr std::pair<std::uint64_t, std::uint64_t> Unsigned(WideInt v) {
        return {v.hi_, v.lo_};
    }

    std::uint64_t hi_ = 0;
    std::uint64_t lo_ = 0;
};

} // namespace vellograph::raster
