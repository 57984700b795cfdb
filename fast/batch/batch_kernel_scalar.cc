#include <vector>

#include "fast/bounds/fast_kernel.h"
#include "fast/batch/batch_kernel.h"

namespace drevel {
namespace batch_internal {

void block_kernel_scalar(const batch_plan& bp, const double* U, const int32_t* accepted,
                         const int32_t* starts, int n, block_values* out) {
  const draw_plan& plan = bp.plan;
  const kernel_layout layout = plan.layout();
  double G[program_stride];
  for (int j = 0; j < n; j++) {
    draw_inputs(bp, U, starts[j], accepted + j * bp.r, G);
    fast_kernel_result k = fast_kernel_portable(G, layout);
    out->L[j] = k.L;
    out->A[j] = k.magnitude.A;
    out->ok[j] = k.ok;
  }
}

}  // namespace batch_internal
}  // namespace drevel
