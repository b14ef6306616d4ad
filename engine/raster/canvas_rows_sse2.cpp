// The flood fill's row routines in SSE2, four pixels at a time: what every
// x86-64 processor without AVX2 runs.
#include "engine/raster/canvas_rows.h"

#if VELLOGRAPH_ROWS_X86
#include "engine/raster/canvas_row_blocks.h"

namespace vellograph::raster {

namespace {
// SSE2 is the x86-64 baseline, so no target attribute is needed.
ROW_ROUTINES(Sse2, raster::Quad, )
} // namespace

const RowRoutines& Sse2Rows() {
    return Sse2Routines;
}

} // namespace vellograph::raster
#endif
