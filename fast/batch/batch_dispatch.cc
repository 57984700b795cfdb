#include "fast/batch/batch_dispatch.h"

#include "fast/batch/batch_path.h"

namespace drevel {

namespace batch_internal {

batch_isa select_batch_isa(batch_path requested) {
  batch_path path = requested == batch_path::automatic ? best_batch_path() : requested;
  if (path == batch_path::avx512 && !batch_path_runs(path)) path = batch_path::avx2;
  if (path == batch_path::avx2 && !batch_path_runs(path)) path = batch_path::scalar;
  switch (path) {
    case batch_path::avx512: return {path, 16, walk_avx512, block_kernel_avx512};
    case batch_path::avx2: return {path, 8, walk_avx2, block_kernel_avx2};
    default: return {batch_path::scalar, 1, walk_scalar, block_kernel_scalar};
  }
}

}  // namespace batch_internal
}  // namespace drevel
