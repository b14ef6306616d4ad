// The sets of the flood fill's row routines that exist on this target.
#pragma once

#include "engine/raster/canvas_raster.h"

// The SSE2 and AVX2 sets exist only where the compiler targets x86-64; every
// other target (arm64, s390x, WebAssembly, 32-bit ones) runs the scalar set.
#if defined(__x86_64__) && defined(__GNUC__)
#define VELLOGRAPH_ROWS_X86 1
#else
#define VELLOGRAPH_ROWS_X86 0
#endif

namespace vellograph::raster {

// Plain loops over one pixel at a time: the baseline every target has, and
// the reference the vector sets are checked against.
const RowRoutines& ScalarRows();
#if VELLOGRAPH_ROWS_X86
const RowRoutines& Sse2Rows(); // every x86-64 has SSE2
const RowRoutines& Avx2Rows(); // only for processors that report AVX2
#endif

} // namespace vellograph::raster
