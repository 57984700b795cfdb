// The fast engine's draw loop on one thread.
#include "evidence/fast_engine.h"

#include <vector>

#include "evidence/draw_decision.h"
#include "evidence/draw_plan.h"
#include "evidence/draw_walker.h"
#include "evidence/fast_kernel.h"
#include "evidence/fast_pipeline.h"
#include "evidence/monte_carlo.h"
#include "random/rand48_access.h"

namespace drevel {

namespace {

bool shapes_valid(const double* alpha, int c) {
  for (int m = 1; m <= c; m++)
    if (!(alpha[m] >= 1)) return false;
  return true;
}

}  // namespace

double fast_loop(const draw_decider& decider, bool portable, int32_t maxmc, int32_t minmc,
                 double precision, uint64_t& X, int64_t& N, mc_sums& sums, mc_check& check,
                 fast_stats& stats) {
  std::vector<double> G(static_cast<size_t>(decider.plan.c));
  draw_walker walker(decider.plan, X, portable);
  uint64_t X0 = 0;
  for (;;) {
    N = N + 1;
    walker.walk(G.data(), &X0, &X, &stats.literal_tests);
    mc_add_draw(sums, decider.decide(G.data(), X0, X, stats));
    if (N % 100 != 0) continue;
    check = mc_check_sums(sums, N);
    if (mc_stop(N, minmc, maxmc, check, precision)) break;
  }
  return check.r;
}

void finish_fast_run(uint64_t X, int64_t N, fast_stats& stats, rand48_state& state,
                     int64_t* draws, fast_stats* stats_out) {
  rand48_access::set(state, X);
  stats.draws = N;
  if (draws) *draws = N;
  if (stats_out) *stats_out = stats;
}

double evidag_fast(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                   double precision, int c, rand48_state& state, int64_t* draws,
                   const fast_options& options, fast_stats* stats_out) {
  if (c < 1 || !shapes_valid(alpha, c))
    return evidag_mtcar(alpha, L_hyp, maxmc, minmc, precision, c, state, draws);
  draw_plan plan = make_draw_plan(alpha, c);
  std::vector<double> theta(c + 1);
  theta[0] = c;
  draw_decider decider{plan, select_fast_kernel(options.portable), alpha, L_hyp, theta.data()};
  if (options.threads >= 2 && c >= options.pipeline_min_cells &&
      plan.np >= options.pipeline_min_product_share * c)
    return evidag_fast_pipeline(decider, options.portable, maxmc, minmc, precision, state,
                                draws, stats_out, options.stream_log2);
  fast_stats stats;
  uint64_t X = rand48_access::get(state);
  int64_t N = 0;
  mc_sums sums;
  mc_check check{0, 0, 0};
  fast_loop(decider, options.portable, maxmc, minmc, precision, X, N, sums, check, stats);
  finish_fast_run(X, N, stats, state, draws, stats_out);
  return check.r;
}

}  // namespace drevel
