// The public face of the fast engine.
#include "fast/fast_engine.h"

#include "fast/draw/engine.h"

namespace drevel {

mc_estimate monte_carlo_fast(const double* alpha, double L_hyp, const mc_rule& rule, int c,
                             rand48_state& state, const fast_options& options, fast_stats* stats) {
  fast_internal::engine_options internal;
  internal.threads = options.threads;
  fast_internal::engine_counts counts;
  mc_estimate estimate =
      fast_internal::run_fast_engine(alpha, L_hyp, rule, c, state, internal, &counts);
  if (stats) {
    stats->draws = estimate.draws;
    stats->kernel_replays = counts.kernel_replays;
    stats->literal_tests = counts.literal_tests;
    stats->two_thread_draws = counts.two_thread_draws;
    stats->driver = counts.driver;
  }
  return estimate;
}

double evidag_fast(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                   double precision, int c, rand48_state& state, int64_t* draws,
                   const fast_options& options, fast_stats* stats) {
  mc_estimate estimate =
      monte_carlo_fast(alpha, L_hyp, mc_rule{maxmc, minmc, precision}, c, state, options, stats);
  if (draws) *draws = estimate.draws;
  return estimate.r;
}

}  // namespace drevel
