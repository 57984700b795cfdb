// The hit of one draw in the fast engine: the fast kernel where its bound
// settles L >= L_hyp, the literal evaluation replayed from the draw's saved
// generator state otherwise.
#ifndef DREVEL_FAST_DRAW_DRAW_DECIDER_H
#define DREVEL_FAST_DRAW_DRAW_DECIDER_H

#include <cstdint>
#include <vector>

#include "fast/bounds/fast_kernel.h"
#include "fast/bounds/kernel_bound.h"
#include "fast/draw/draw_plan.h"
#include "fast/stream/cpu_dispatch.h"

namespace drevel {

class draw_decider {
 public:
  // For the draws of `plan` (which must outlive the decider) from alpha
  // (cells 1..c, read when a draw is replayed), with the path's kernel.
  draw_decider(const draw_plan& plan, simd_path path, const double* alpha, double L_hyp);

  // 1 for a hit, 0 for a miss, for the draw whose products and deviates are
  // in G (kernel layout, overwritten) and whose uniforms run from the state
  // X_start to X_end.  A replay whose stream does not end at X_end is a
  // fault of the engine: it ends the process (abort), since going on would
  // give a wrong result.
  int decide(double* G, uint64_t X_start, uint64_t X_end) {
    fast_kernel_result k = kernel_(G, layout_);
    if (k.ok) {
      double B = bound_(k.magnitude);
      if (k.L - B >= L_hyp_) return 1;
      if (k.L + B < L_hyp_) return 0;
    }
    return replay(X_start, X_end);
  }

  // Draws evaluated literally so far (inside the bound, or out of its range).
  int64_t replays() const { return replays_; }

 private:
  int replay(uint64_t X_start, uint64_t X_end);

  fast_kernel_fn kernel_;
  kernel_layout layout_;
  kernel_bound bound_;
  const double* alpha_;
  double L_hyp_;
  int c_;
  std::vector<double> theta_;  // cell vector 0..c for replays
  int64_t replays_ = 0;
};

}  // namespace drevel

#endif
