// The fast engine's draw loop on one thread.
#include "evidence/fast_engine.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "evidence/draw_plan.h"
#include "evidence/draw_walker.h"
#include "evidence/fast_kernel.h"
#include "evidence/kernel.h"
#include "evidence/monte_carlo.h"
#include "random/dirirnd.h"
#include "random/rand48_access.h"

namespace drevel {

namespace {

bool shapes_valid(const double* alpha, int c) {
  for (int m = 1; m <= c; m++)
    if (!(alpha[m] >= 1)) return false;
  return true;
}


// The literal evaluation of the draw that starts at X0: dirirnd and
// LogDNFunc on a stream set to X0.  The walk must have ended where dirirnd
// does; anything else is a fault in this engine, and going on would give a
// wrong result, so it ends the process.
int replay_draw(const double* alpha, double L_hyp, int c, uint64_t X0, uint64_t X_end,
                double* theta) {
  rand48_state st;
  rand48_access::set(st, X0);
  dirirnd(alpha, theta, c, st);
  double L = LogDNFunc(alpha, theta, c);
  if (rand48_access::get(st) != X_end) {
    std::fputs("drevel: internal error: fast engine lost its place in the random stream\n",
               stderr);
    std::abort();
  }
  return L >= L_hyp ? 1 : 0;
}

// The hit of a draw whose deviates the walk left in G; X0 and X_end delimit
// its uniforms for a replay.
int decide_draw(const draw_plan& plan, fast_kernel_fn kernel, const double* alpha, double L_hyp,
                double* G, uint64_t X0, uint64_t X_end, double* theta, fast_stats& stats) {
  fast_kernel_result k = kernel(G, plan.np, plan.c, plan.d.data(), plan.D);
  if (k.ok) {
    double B = kernel_bound(plan, k.A);
    if (k.L - B >= L_hyp) return 1;
    if (k.L + B < L_hyp) return 0;
  }
  stats.kernel_replays++;
  return replay_draw(alpha, L_hyp, plan.c, X0, X_end, theta);
}

}  // namespace

double evidag_fast(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                   double precision, int c, rand48_state& state, int64_t* draws,
                   const fast_options& options, fast_stats* stats_out) {
  if (c < 1 || !shapes_valid(alpha, c))
    return evidag_mtcar(alpha, L_hyp, maxmc, minmc, precision, c, state, draws);
  (void)options.threads;
  draw_plan plan = make_draw_plan(alpha, c);
  fast_kernel_fn kernel = select_fast_kernel(options.portable);
  std::vector<double> G(c), theta(c + 1);
  theta[0] = c;
  fast_stats stats;
  draw_walker walker(plan, rand48_access::get(state));
  uint64_t X0 = 0, X = rand48_access::get(state);
  int64_t N = 0;
  mc_sums sums;
  mc_check check{0, 0, 0};
  for (;;) {
    N = N + 1;
    walker.walk(G.data(), &X0, &X, &stats.literal_tests);
    mc_add_draw(sums, decide_draw(plan, kernel, alpha, L_hyp, G.data(), X0, X, theta.data(),
                                  stats));
    if (N % 100 != 0) continue;
    check = mc_check_sums(sums, N);
    if (mc_stop(N, minmc, maxmc, check, precision)) break;
  }
  rand48_access::set(state, X);
  stats.draws = N;
  if (draws) *draws = N;
  if (stats_out) *stats_out = stats;
  return check.r;
}

}  // namespace drevel
