// The batch paths this processor runs, from the fast engine's one question
// to it.
#include "fast/batch/batch_path.h"

#include <cstdlib>
#include <cstring>

#include "fast/stream/cpu_features.h"

namespace drevel {

bool batch_path_runs(batch_path path) {
  const cpu_features& f = processor_features();
  switch (path) {
    case batch_path::avx512: return f.runs_avx512_f_vl_bw_dq();
    case batch_path::avx2: return f.runs_avx2();
    default: return true;
  }
}

namespace {

// DREVEL_BATCH_PATH=avx2 or scalar narrows the automatic choice, so that a
// whole run's bytes can be compared across paths on one processor; a path
// the processor lacks, or any other value, changes nothing.
batch_path widest_asked() {
  const char* v = std::getenv("DREVEL_BATCH_PATH");
  if (!v) return batch_path::avx512;
  if (std::strcmp(v, "scalar") == 0) return batch_path::scalar;
  if (std::strcmp(v, "avx2") == 0) return batch_path::avx2;
  return batch_path::avx512;
}

}  // namespace

batch_path best_batch_path() {
  static const batch_path widest = widest_asked();
  if (widest == batch_path::avx512 && batch_path_runs(batch_path::avx512)) return batch_path::avx512;
  if (widest != batch_path::scalar && batch_path_runs(batch_path::avx2)) return batch_path::avx2;
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
