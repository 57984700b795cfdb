// Deciding a draw: the bound first, the literal replay inside it.
#include "evidence/draw_decision.h"

#include <cstdio>
#include <cstdlib>

#include "evidence/kernel.h"
#include "random/dirirnd.h"
#include "random/rand48_access.h"

namespace drevel {

namespace {

// dirirnd and LogDNFunc on a stream set to X_start.  The fast walk must have
// ended where dirirnd does; anything else is a fault in the engine, and
// going on would give a wrong result, so it ends the process.
int replay_draw(const double* alpha, double L_hyp, int c, uint64_t X_start, uint64_t X_end,
                double* theta) {
  rand48_state st;
  rand48_access::set(st, X_start);
  dirirnd(alpha, theta, c, st);
  double L = LogDNFunc(alpha, theta, c);
  if (rand48_access::get(st) != X_end) {
    std::fputs("drevel: internal error: fast engine lost its place in the random stream\n",
               stderr);
    std::abort();
  }
  return L >= L_hyp ? 1 : 0;
}

}  // namespace

int draw_decider::decide(double* G, uint64_t X_start, uint64_t X_end, fast_stats& stats) const {
  fast_kernel_result k = kernel(G, plan.np, plan.c, plan.d.data(), plan.D, plan.groups.data(),
                                static_cast<int>(plan.groups.size()), plan.short_log);
  if (k.ok) {
    double B = kernel_bound(plan, k.A, k.extra);
    if (k.L - B >= L_hyp) return 1;
    if (k.L + B < L_hyp) return 0;
  }
  stats.kernel_replays++;
  return replay_draw(alpha, L_hyp, plan.c, X_start, X_end, theta);
}

}  // namespace drevel
