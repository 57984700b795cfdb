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
    // The per-site decider's bound: a hit when fl(L - B) >= L_hyp, a miss
    // when fl(L + B) < L_hyp.
    kernel_magnitude m;
    m.A = k.magnitude.A;
    double B = plan.bound(m);
    int hit = k.L - B >= bp.L_hyp, miss = k.L + B < bp.L_hyp;
    int settled = k.ok & (hit | miss);
    out->hit[j] = static_cast<uint8_t>(hit & settled);
    out->open[j] = static_cast<uint8_t>(settled ^ 1);
  }
}

}  // namespace batch_internal
}  // namespace drevel
