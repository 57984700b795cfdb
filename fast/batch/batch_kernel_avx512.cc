// The block kernel on eight draws at once (AVX-512, no FMA).  Chosen at run
// time only where the processor has AVX-512 (batch_dispatch).
#if defined(__x86_64__) || defined(__i386__)

#include "fast/batch/batch_kernel_lanes.h"

namespace drevel {
namespace batch_internal {

__attribute__((target("avx512f,avx512vl,avx512bw,avx512dq"))) void block_kernel_avx512(
    const batch_plan& bp, const double* U, const int32_t* accepted, const int32_t* starts, int n,
    block_values* out) {
  block_kernel_lanes<f64x8, 8>(bp, U, accepted, starts, n, out);
}

}  // namespace batch_internal
}  // namespace drevel

#endif
