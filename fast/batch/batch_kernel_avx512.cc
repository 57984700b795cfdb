// The block kernel on eight draws at once (AVX-512, no FMA).  Chosen at run
// time only where the processor runs its attribute's AVX-512 subsets
// (batch_dispatch, cpu_features.h).
#if defined(__x86_64__) || defined(__i386__)

#include "fast/batch/batch_kernel_lanes.h"
#include "fast/stream/cpu_features.h"

namespace drevel {
namespace batch_internal {

DREVEL_TARGET_AVX512_F_VL_BW_DQ void block_kernel_avx512(
    const batch_plan& bp, const double* U, const int32_t* accepted, const int32_t* starts, int n,
    block_values* out) {
  block_kernel_lanes<f64x8, 8>(bp, U, accepted, starts, n, out);
}

}  // namespace batch_internal
}  // namespace drevel

#endif
