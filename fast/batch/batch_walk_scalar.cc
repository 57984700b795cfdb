// The walk in scalar code: the lanes one after the other, an attempt each
// per step.
#include "fast/batch/batch_walk.h"

namespace drevel {
namespace batch_internal {

walk_event walk_scalar(walk_lanes& L, walk_context& ctx) {
  walk_event event;
  for (;;) {
    for (uint32_t m = L.active; m; m &= m - 1) {
      int l = __builtin_ctz(m);
      if (L.p[l] >= ctx.limit) event.beyond |= 1u << l;
    }
    if (event.beyond) return event;
    ctx.steps++;
    ctx.attempts += __builtin_popcount(L.active);
    for (uint32_t m = L.active; m; m &= m - 1) {
      int l = __builtin_ctz(m);
      scalar_attempt(L, ctx, l);
      if (L.wp[l] == L.wend[l]) event.done |= 1u << l;
    }
    if (event.done) return event;
  }
}

}  // namespace batch_internal
}  // namespace drevel
