// What the processor runs, asked here and nowhere else in the batch engine.
#include "fast/batch/batch_path.h"

namespace drevel {

bool batch_path_runs(batch_path path) {
#if defined(__x86_64__) || defined(__i386__)
  switch (path) {
    case batch_path::avx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
             __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq");
    case batch_path::avx2: return __builtin_cpu_supports("avx2");
    default: return true;
  }
#else
  return path == batch_path::scalar;
#endif
}

batch_path best_batch_path() {
  if (batch_path_runs(batch_path::avx512)) return batch_path::avx512;
  if (batch_path_runs(batch_path::avx2)) return batch_path::avx2;
  return batch_path::scalar;
}

int batch_path_width(batch_path path) {
  if (path == batch_path::automatic) path = best_batch_path();
  return path == batch_path::avx512 ? 16 : path == batch_path::avx2 ? 8 : 1;
}

const char* batch_path_name(batch_path path) {
  if (path == batch_path::automatic) path = best_batch_path();
  return path == batch_path::avx512 ? "avx512" : path == batch_path::avx2 ? "avx2" : "scalar";
}

}  // namespace drevel
