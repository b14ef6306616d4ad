// The row routines in vectors of any width, for the instruction-set files to
// instantiate; included only by them.
#pragma once

#include "engine/raster/canvas_raster.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vellograph::raster {

// Internal linkage: each instruction-set file compiles its own copy of what
// follows for its own target, and the linker must not merge them (a copy
// built for AVX2 would then run on processors without it).
namespace {

// The clear reads every pixel of the surface once; left to the hardware
// prefetcher alone, those loads wait on memory. This far ahead they do not.
constexpr std::uintptr_t PrefetchBytes = 8192;

// Hints only: an address past the surface is never dereferenced.
inline void PrefetchAhead(const std::uint32_t* p) {
    __builtin_prefetch(
        reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(p) + PrefetchBytes));
}

// Everything below is inlined into the routines of one target, so that the
// vector code is compiled for that target.
#define ROW_INLINE __attribute__((always_inline))

// The row routines for one vector type V, instantiated once per
// instruction-set file. Unaligned loads and stores go through VU and stay in registers (a memcpy
// into an array of vectors goes through the stack).
template <class V> struct RowBlocks {
    static constexpr std::size_t Lanes = sizeof(V) / sizeof(std::uint32_t);
    static constexpr std::size_t Step = 4 * Lanes; // pixels per block
    typedef V VU __attribute__((aligned(4), may_alias));

    ROW_INLINE static void Splat(V& v, std::uint32_t value) {
        for (std::size_t k = 0; k < Lanes; ++k) {
            v[k] = value;
        }
    }
    ROW_INLINE static bool Any(const V& lanes) {
        std::uint64_t words[sizeof(V) / 8];
        std::memcpy(words, &lanes, sizeof words);
        std::uint64_t bits = 0;
        for (const std::uint64_t w : words) {
            bits |= w;
        }
        return bits != 0;
    }
    // The block at p holds a pixel of the border colour.
    ROW_INLINE static bool HasBorder(const VU* p, const V& mask, const V& border) {
        return Any(((p[0] & mask) == border) | ((p[1] & mask) == border) |
                   ((p[2] & mask) == border) | ((p[3] & mask) == border));
    }
    // Paints the block unless it has the colour already: the clear mostly
    // paints white over white, and a cache line left unwritten need not go
    // back to memory.
    ROW_INLINE static void Paint(VU* p, const V& value) {
        if (Any((p[0] != value) | (p[1] != value) | (p[2] != value) | (p[3] != value))) {
            p[0] = value;
            p[1] = value;
            p[2] = value;
            p[3] = value;
        }
    }
    ROW_INLINE static void Prefetch(const std::uint32_t* p) {
        for (std::size_t line = 0; line < Step; line += 16) {
            PrefetchAhead(p + line);
        }
    }

    ROW_INLINE static bool HasColor(const std::uint32_t* row, std::size_t n, std::uint32_t color) {
        V mask, want;
        Splat(mask, ColorBits);
        Splat(want, color);
        std::size_t i = 0;
        for (; i + Step <= n; i += Step) {
            Prefetch(row + i);
            if (HasBorder(reinterpret_cast<const VU*>(row + i), mask, want)) {
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
    ROW_INLINE static void PaintAll(std::uint32_t* row, std::size_t n, std::uint32_t value) {
        V v;
        Splat(v, value);
        std::size_t i = 0;
        for (; i + Step <= n; i += Step) {
            Paint(reinterpret_cast<VU*>(row + i), v);
        }
        for (; i < n; ++i) {
            row[i] = value;
        }
    }
    // Both at once, block by block, for a row beside one that lies wholly in
    // the region: every pixel of it that is not the border colour is then in
    // the region too, so the blocks before a border pixel may be painted
    // already when it turns up. False when there is one.
    ROW_INLINE static bool Clear(std::uint32_t* row, std::size_t n, std::uint32_t border,
                                 std::uint32_t value) {
        V mask, want, v;
        Splat(mask, ColorBits);
        Splat(want, border);
        Splat(v, value);
        std::size_t i = 0;
        for (; i + Step <= n; i += Step) {
            Prefetch(row + i);
            VU* block = reinterpret_cast<VU*>(row + i);
            if (HasBorder(block, mask, want)) {
                return false;
            }
            Paint(block, v);
        }
        for (std::size_t k = i; k < n; ++k) {
            if ((row[k] & ColorBits) == border) {
                return false;
            }
        }
        for (; i < n; ++i) {
            row[i] = value;
        }
        return true;
    }

    // The first pixel in [from, to) that is of the border colour (IsBorder)
    // or is not; to when there is none.
    template <bool IsBorder>
    ROW_INLINE static std::size_t Find(const std::uint32_t* row, std::size_t from, std::size_t to,
                                       std::uint32_t border) {
        V mask, want;
        Splat(mask, ColorBits);
        Splat(want, border);
        std::size_t i = from;
        for (; i + Lanes <= to; i += Lanes) {
            const V same = (*reinterpret_cast<const VU*>(row + i) & mask) == want;
            if (Any(IsBorder ? same : ~same)) {
                break;
            }
        }
        for (; i < to; ++i) {
            if (((row[i] & ColorBits) == border) == IsBorder) {
                return i;
            }
        }
        return to;
    }
    // The last pixel of the border colour before x, or -1.
    ROW_INLINE static std::ptrdiff_t FindBorderBefore(const std::uint32_t* row, std::size_t x,
                                                      std::uint32_t border) {
        V mask, want;
        Splat(mask, ColorBits);
        Splat(want, border);
        std::size_t j = x;
        for (; j >= Lanes; j -= Lanes) {
            if (Any((*reinterpret_cast<const VU*>(row + j - Lanes) & mask) == want)) {
                break;
            }
        }
        while (j > 0) {
            if ((row[--j] & ColorBits) == border) {
                return static_cast<std::ptrdiff_t>(j);
            }
        }
        return -1;
    }
};

#undef ROW_INLINE

// The routines for one vector type, compiled for one target: named Name,
// gathered in NameRoutines. Used inside an unnamed namespace.
#define ROW_ROUTINES(Name, V, TARGET)                                                              \
    TARGET bool HasColor##Name(const std::uint32_t* row, std::size_t n, std::uint32_t color) {     \
        return RowBlocks<V>::HasColor(row, n, color);                                              \
    }                                                                                              \
    TARGET void Paint##Name(std::uint32_t* row, std::size_t n, std::uint32_t value) {              \
        RowBlocks<V>::PaintAll(row, n, value);                                                     \
    }                                                                                              \
    TARGET bool Clear##Name(std::uint32_t* row, std::size_t n, std::uint32_t border,               \
                            std::uint32_t value) {                                                 \
        return RowBlocks<V>::Clear(row, n, border, value);                                         \
    }                                                                                              \
    TARGET std::size_t FindBorder##Name(const std::uint32_t* row, std::size_t from,                \
                                        std::size_t to, std::uint32_t border) {                    \
        return RowBlocks<V>::Find<true>(row, from, to, border);                                    \
    }                                                                                              \
    TARGET std::size_t FindOther##Name(const std::uint32_t* row, std::size_t from, std::size_t to, \
                                       std::uint32_t border) {                                     \
        return RowBlocks<V>::Find<false>(row, from, to, border);                                   \
    }                                                                                              \
    TARGET std::ptrdiff_t FindBorderBefore##Name(const std::uint32_t* row, std::size_t x,          \
                                                 std::uint32_t border) {                           \
        return RowBlocks<V>::FindBorderBefore(row, x, border);                                     \
    }                                                                                              \
    constexpr RowRoutines Name##Routines{                                                          \
        #Name,           HasColor##Name,        Paint##Name, Clear##Name, FindBorder##Name,        \
        FindOther##Name, FindBorderBefore##Name};

} // namespace

} // namespace vellograph::raster
