// The hit of one draw in the fast engine: the fast kernel where its bound
// settles L >= L_hyp, the literal evaluation replayed from the draw's
// saved generator state otherwise.
#ifndef DREVEL_EVIDENCE_DRAW_DECISION_H
#define DREVEL_EVIDENCE_DRAW_DECISION_H

#include <cstdint>

#include "evidence/draw_plan.h"
#include "evidence/fast_engine.h"
#include "evidence/fast_kernel.h"

namespace drevel {

struct draw_decider {
  const draw_plan& plan;
  fast_kernel_fn kernel;
  const double* alpha;
  double L_hyp;
  double* theta;  // scratch cell vector 0..c for replays

  // 1 for a hit, 0 for a miss, for the draw whose products and deviates are
  // in G (kernel layout, overwritten) and whose uniforms run from the state
  // X_start to X_end.  Counts replays in stats.
  int decide(double* G, uint64_t X_start, uint64_t X_end, fast_stats& stats) const;
};

}  // namespace drevel

#endif
