// The choice between the AVX2 and the portable code of the fast engine
// (docs/fast-engine.md, "Paths"), taken once per run from what
// cpu_features.h reports, and every piece with AVX2 code (the kernel, the
// ring's fill, the attempt words) takes the path it is given.  Both paths
// give the same decisions, hence the same bytes.
#ifndef DREVEL_FAST_STREAM_CPU_DISPATCH_H
#define DREVEL_FAST_STREAM_CPU_DISPATCH_H

#include <cstdint>

#include "fast/bounds/fast_kernel.h"

namespace drevel {

enum class simd_path { portable, avx2 };

// avx2 when the processor has AVX2 and force_portable is false, else portable.
simd_path choose_simd_path(bool force_portable);

// The kernel of a path.
fast_kernel_fn fast_kernel_for(simd_path path);

// The generator's fill of a path (stream_avx2.h): on the avx2 path, the
// AVX-512 fill where the processor runs its code (AVX-512F and DQ,
// cpu_features.h), else the AVX2 one; null on the portable path, whose fill
// is scalar code.  Every fill gives the uniforms rand48_uniform gives.
using ring_fill_fn = void (*)(double* uniforms, int64_t mask, int64_t q, int64_t groups,
                              const uint64_t* first8);
ring_fill_fn ring_fill_for(simd_path path);

}  // namespace drevel

#endif
