// The one question to the processor.
#include "fast/stream/cpu_dispatch.h"

#include "fast/stream/stream_avx2.h"
#include "fast/stream/stream_avx512.h"

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

ring_fill_fn ring_fill_for(simd_path path) {
#if defined(__x86_64__) || defined(__i386__)
  if (path != simd_path::avx2) return nullptr;
  static const bool avx512 =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq");
  return avx512 ? ring_fill_avx512 : ring_fill_avx2;
#else
  (void)path;
  return nullptr;
#endif
}

}  // namespace drevel
