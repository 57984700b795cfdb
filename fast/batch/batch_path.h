// The instruction sets the batch engine's lanes may run on, and which of
// them this processor runs (from fast/stream/cpu_features.h, the fast
// engine's one question to the processor).
#ifndef DREVEL_FAST_BATCH_BATCH_PATH_H
#define DREVEL_FAST_BATCH_BATCH_PATH_H

namespace drevel {

// The instruction set the lanes run on.  automatic: the widest the
// processor has.  Every path gives the same bytes.
enum class batch_path { automatic, scalar, avx2, avx512 };

// The widest path this processor runs (never automatic), or a narrower one
// named by the environment variable DREVEL_BATCH_PATH (avx2, scalar).
batch_path best_batch_path();
// The lanes of a path: 16 (AVX-512), 8 (AVX2), 1 (scalar); automatic as
// best_batch_path.
int batch_path_width(batch_path path);
// "avx512", "avx2", "scalar" (for --verbose and benchmarks).
const char* batch_path_name(batch_path path);

// Whether this processor runs a path (automatic and scalar: always; avx512
// needs AVX-512F, VL, BW and DQ, the subsets its code is compiled for).
bool batch_path_runs(batch_path path);

}  // namespace drevel

#endif
