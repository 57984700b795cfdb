// The one question to the processor.
#include "fast/stream/cpu_dispatch.h"

namespace drevel {

simd_path choose_simd_path(bool force_portable) {
#if defined(__x86_64__) || defined(__i386__)
  if (!force_portable && __builtin_cpu_supports("avx2")) return simd_path::avx2;
#else
  (void)force_portable;
#endif
  return simd_path::portable;
}

fast_kernel_fn fast_kernel_for(simd_path path) {
#if defined(__x86_64__) || defined(__i386__)
  if (path == simd_path::avx2) return fast_kernel_avx2;
#else
  (void)path;
#endif
  return fast_kernel_portable;
}

}  // namespace drevel
