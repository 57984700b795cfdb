// The one place that chooses the batch engine's instruction set: the walk
// and the block kernel of a path.  For the batch engine's units only.
#ifndef DREVEL_FAST_BATCH_BATCH_DISPATCH_H
#define DREVEL_FAST_BATCH_BATCH_DISPATCH_H

#include "fast/batch/batch_path.h"
#include "fast/batch/batch_kernel.h"
#include "fast/batch/batch_walk.h"

namespace drevel {
namespace batch_internal {

struct batch_isa {
  batch_path path;  // never automatic
  int width;        // lanes the walk takes
  walk_fn walk;
  block_kernel_fn kernel;
};

// The path asked for, or the widest below it that the processor runs.
batch_isa select_batch_isa(batch_path requested);

}  // namespace batch_internal
}  // namespace drevel

#endif
