// The border-mode flood fill: the 4-connected region of pixels that are not
// exactly the border colour, found first and painted afterwards.
#include "canvas.h"

#include "canvas_raster.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vellograph {

namespace {

constexpr std::uint32_t ColorBits = 0x00FFFFFF;

// The clear reads every pixel of the surface once; left to the hardware
// prefetcher alone, those loads wait on memory. This far ahead they do not.
constexpr std::uintptr_t PrefetchBytes = 8192;

// Hints only: an address past the surface is never dereferenced.
inline void PrefetchAhead(const std::uint32_t* p) {
    __builtin_prefetch(
        reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(p) + PrefetchBytes));
}

// Eight pixels at a time, for processors with AVX2. Elsewhere the compiler
// would split each operation into scalar ones, so those use raster::Quad.
typedef std::uint32_t Oct __attribute__((vector_size(32)));

// The row scan and paint for one vector type; instantiated once per target below.
template <class V>
__attribute__((always_inline)) inline bool RowHasColorWith(const std::uint32_t* row, std::size_t n,
                                                           std::uint32_t color) {
    constexpr std::size_t Lanes = sizeof(V) / sizeof(std::uint32_t);
    constexpr std::size_t Step = 4 * Lanes;
    // Unaligned loads that stay in registers; a memcpy into a vector array
    // goes through the stack.
    typedef V Unaligned __attribute__((aligned(4), may_alias));
    V mask, want;
    for (std::size_t k = 0; k < Lanes; ++k) {
        mask[k] = ColorBits;
        want[k] = color;
    }
    std::size_t i = 0;
    for (; i + Step <= n; i += Step) {
        for (std::size_t line = 0; line < Step; line += 16) {
            PrefetchAhead(row + i + line);
        }
        const Unaligned* q = reinterpret_cast<const Unaligned*>(row + i);
        const V hits = ((q[0] & mask) == want) | ((q[1] & mask) == want) | ((q[2] & mask) == want) |
                       ((q[3] & mask) == want);
        std::uint64_t words[sizeof(V) / 8];
        std::memcpy(words, &hits, sizeof words);
        std::uint64_t any = 0;
        for (const std::uint64_t w : words) {
            any |= w;
        }
        if (any != 0) {
            return true;
        }
    }
    for (; i < n; ++i) {
        if ((row[i] & ColorBits) == color) {
            return true;
        }
    }
    return false;
}

template <class V>
__attribute__((always_inline)) inline void PaintRowWith(std::uint32_t* row, std::size_t n,
                                                        std::uint32_t value) {
    constexpr std::size_t Lanes = sizeof(V) / sizeof(std::uint32_t);
    if (((value >> 8) & 0xFFFFFFu) == (value & 0xFFFFFFu)) {
        std::memset(row, static_cast<int>(value & 0xFFu), n * sizeof value); // white
        return;
    }
    V v;
    for (std::size_t k = 0; k < Lanes; ++k) {
        v[k] = value;
    }
    std::size_t i = 0;
    for (; i + Lanes <= n; i += Lanes) {
        std::memcpy(row + i, &v, sizeof v);
    }
    for (; i < n; ++i) {
        row[i] = value;
    }
}

bool RowHasColorSse2(const std::uint32_t* row, std::size_t n, std::uint32_t color) {
    return RowHasColorWith<raster::Quad>(row, n, color);
}
__attribute__((target("avx2"))) bool RowHasColorAvx2(const std::uint32_t* row, std::size_t n,
                                                     std::uint32_t color) {
    return RowHasColorWith<Oct>(row, n, color);
}
void PaintRowSse2(std::uint32_t* row, std::size_t n, std::uint32_t value) {
    PaintRowWith<raster::Quad>(row, n, value);
}
__attribute__((target("avx2"))) void PaintRowAvx2(std::uint32_t* row, std::size_t n,
                                                  std::uint32_t value) {
    PaintRowWith<Oct>(row, n, value);
}

// The row routines for this processor, chosen on first use: every x86-64 has
// SSE2, and AVX2 halves the instructions where it is there.
struct RowRoutines {
    bool (*hasColor)(const std::uint32_t* row, std::size_t n, std::uint32_t color);
    void (*paint)(std::uint32_t* row, std::size_t n, std::uint32_t value);
};

const RowRoutines& Rows() {
    static const RowRoutines routines = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") ? RowRoutines{RowHasColorAvx2, PaintRowAvx2}
                                              : RowRoutines{RowHasColorSse2, PaintRowSse2};
    }();
    return routines;
}

// One bit per pixel marking the region found so far.
class RowBits {
public:
    RowBits(int width, int height)
        : words_((static_cast<std::size_t>(width) + 63) / 64),
          bits_(words_ * static_cast<std::size_t>(height), 0) {}
    bool test(std::int32_t x, std::int32_t y) const {
        return (bits_[index(x, y)] >> (x & 63)) & 1u;
    }
    // Marks [x0, x1] of row y.
    void set(std::int32_t x0, std::int32_t x1, std::int32_t y) {
        std::size_t i = index(x0, y);
        const std::size_t end = index(x1, y);
        const std::uint64_t head = ~std::uint64_t{0} << (x0 & 63);
        const std::uint64_t tail = ~std::uint64_t{0} >> (63 - (x1 & 63));
        if (i == end) {
            bits_[i] |= head & tail;
            return;
        }
        bits_[i] |= head;
        while (++i < end) {
            bits_[i] = ~std::uint64_t{0};
        }
        bits_[end] |= tail;
    }

private:
    std::size_t index(std::int32_t x, std::int32_t y) const {
        return static_cast<std::size_t>(y) * words_ + static_cast<std::size_t>(x >> 6);
    }
    std::size_t words_;
    std::vector<std::uint64_t> bits_;
};

struct Run {
    std::int32_t y;
    std::int32_t x0;
    std::int32_t x1; // inclusive
};

} // namespace

void TCanvas::floodFillBorder(std::int32_t x, std::int32_t y, TColor border) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    const std::uint32_t borderBits = toPixel(border) & ColorBits;
    if ((pixels_[static_cast<std::size_t>(y) * width_ + x] & ColorBits) == borderBits) {
        return;
    }
    // Painted pixels keep counting as inside only while the brush differs
    // from the border; otherwise the region must be known before any paint.
    if ((brushPixel_ & ColorBits) != borderBits && fillWholeRows(y, borderBits)) {
        return;
    }
    fillRegion(x, y, borderBits);
}

bool TCanvas::fillWholeRows(std::int32_t seedY, std::uint32_t border) {
    // Rows without a border pixel that touch the seed's row through other such
    // rows lie wholly in the region, so each can be checked and painted in one
    // go. Without any border pixel that is the whole surface.
    const std::size_t w = static_cast<std::size_t>(width_);
    const RowRoutines& rows = Rows();
    auto paintIfClear = [&](std::int32_t y) {
        std::uint32_t* row = pixels_.data() + static_cast<std::size_t>(y) * w;
        if (rows.hasColor(row, w, border)) {
            return false;
        }
        rows.paint(row, w, brushPixel_); // while the row is still in the cache
        return true;
    };
    if (!paintIfClear(seedY)) {
        return false;
    }
    std::int32_t up = seedY - 1;
    while (up >= 0 && paintIfClear(up)) {
        --up;
    }
    std::int32_t down = seedY + 1;
    while (down < height_ && paintIfClear(down)) {
        ++down;
    }
    return up < 0 && down >= height_;
}

void TCanvas::fillRegion(std::int32_t seedX, std::int32_t seedY, std::uint32_t border) {
    const std::uint32_t* const bits = pixels_.data();
    const std::size_t stride = static_cast<std::size_t>(width_);
    auto isBorder = [&](std::int32_t x, std::int32_t y) {
        return (bits[static_cast<std::size_t>(y) * stride + x] & ColorBits) == border;
    };
    // A maximal run of non-border pixels in a row is wholly inside or wholly
    // outside, so runs are the unit of the search; one bit tells a run seen.
    RowBits seen(width_, height_);
    std::vector<Run> region;
    std::vector<std::pair<std::int32_t, std::int32_t>> pending{{seedX, seedY}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        if (seen.test(x, y)) {
            continue;
        }
        std::int32_t x0 = x;
        while (x0 > 0 && !isBorder(x0 - 1, y)) {
            --x0;
        }
        std::int32_t x1 = x;
        while (x1 + 1 < width_ && !isBorder(x1 + 1, y)) {
            ++x1;
        }
        seen.set(x0, x1, y);
        region.push_back({y, x0, x1});
        for (const std::int32_t ny : {y - 1, y + 1}) {
            if (ny < 0 || ny >= height_) {
                continue;
            }
            std::int32_t nx = x0;
            while (nx <= x1) {
                if (isBorder(nx, ny)) {
                    ++nx;
                    continue;
                }
                if (!seen.test(nx, ny)) {
                    pending.emplace_back(nx, ny);
                }
                while (nx <= x1 && !isBorder(nx, ny)) {
                    ++nx;
                }
            }
        }
    }
    for (const Run& run : region) {
        std::uint32_t* row = pixels_.data() + static_cast<std::size_t>(run.y) * stride;
        raster::FillPixels(row + run.x0, static_cast<std::size_t>(run.x1 - run.x0 + 1),
                           brushPixel_);
    }
}

} // namespace vellograph
