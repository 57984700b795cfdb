// The draws' path, from the processor's answer in cpu_features.h.
#include "fast/stream/cpu_dispatch.h"

#include "fast/stream/cpu_features.h"
#include "fast/stream/stream_avx2.h"
#include "fast/stream/stream_avx512.h"

namespace drevel {

simd_path choose_simd_path(bool force_portable) {
  return !force_portable && processor_features().runs_avx2() ? simd_path::avx2
                                                             : simd_path::portable;
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
  return processor_features().runs_avx512_f_dq() ? ring_fill_avx512 : ring_fill_avx2;
#else
  (void)path;
  return nullptr;
#endif
}

}  // namespace drevel
