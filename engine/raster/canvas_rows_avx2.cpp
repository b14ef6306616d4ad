// The flood fill's row routines in AVX2, eight pixels at a time, for the
// x86-64 processors that report it.
#include "engine/raster/canvas_rows.h"

#if VELLOGRAPH_ROWS_X86
#include "engine/raster/canvas_row_blocks.h"

#include <cstdint>

namespace vellograph::raster {

namespace {
// The functions alone carry the target, not the file: nothing this file
// shares with others (inline functions of headers) may be built for AVX2.
typedef std::uint32_t Oct __attribute__((vector_size(32)));
ROW_ROUTINES(Avx2, Oct, __attribute__((target("avx2"))))
} // namespace

const RowRoutines& Avx2Rows() {
    return Avx2Routines;
}

} // namespace vellograph::raster
#endif
