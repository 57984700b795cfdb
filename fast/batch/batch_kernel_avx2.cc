// The block kernel on four draws at once (AVX2, no FMA).  Chosen at run time
// only where the processor has AVX2 (batch_dispatch).
#if defined(__x86_64__) || defined(__i386__)

#include "fast/batch/batch_kernel_lanes.h"
#include "fast/stream/cpu_features.h"

namespace drevel {
namespace batch_internal {

DREVEL_TARGET_AVX2 void block_kernel_avx2(const batch_plan& bp, const double* U,
                                                       const int32_t* accepted,
                                                       const int32_t* starts, int n,
                                                       block_values* out) {
  block_kernel_lanes<f64x4, 4>(bp, U, accepted, starts, n, out);
}

}  // namespace batch_internal
}  // namespace drevel

#endif
