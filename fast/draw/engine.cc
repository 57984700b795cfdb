// The fast engine's run.
#include "fast/draw/engine.h"

#include "evidence/monte_carlo.h"
#include "fast/draw/draw_decider.h"
#include "fast/draw/draw_plan.h"
#include "fast/draw/one_thread.h"
#include "fast/draw/two_threads.h"
#include "fast/stream/cpu_dispatch.h"
#include "random/rand48_access.h"

namespace drevel {
namespace fast_internal {

namespace {

bool shapes_valid(const double* alpha, int c) {
  for (int m = 1; m <= c; m++)
    if (!(alpha[m] >= 1)) return false;
  return true;
}

}  // namespace

double run_fast_engine(const double* alpha, double L_hyp, const mc_rule& rule, int c,
                       rand48_state& state, int64_t* draws, const engine_options& options,
                       engine_counts* counts) {
  // A shape below 1 ends the process inside gamadev, with its message.
  if (c < 1 || !shapes_valid(alpha, c))
    return evidag_mtcar(alpha, L_hyp, rule.maxmc, rule.minmc, rule.precision, c, state, draws);
  const simd_path path = choose_simd_path(options.portable);
  const draw_plan plan = make_draw_plan(alpha, c);
  draw_decider decider(plan, path, alpha, L_hyp);
  uint64_t X = rand48_access::get(state);
  mc_run run;
  int64_t literal_tests = 0;
  bool done = false;
  if (options.threads >= 2 && c >= options.pipeline_min_cells &&
      plan.np >= options.pipeline_min_product_share * c) {
    two_thread_draws two(plan, decider, X, path, options.stream_log2);
    done = run_draws(two, rule, run);
    X = two.state();
    literal_tests += two.finish();
  }
  // One thread, or the rest of a run whose split ended, from the last draw
  // counted.
  if (!done) {
    one_thread_draws one(plan, decider, X, path);
    run_draws(one, rule, run);
    X = one.state();
    literal_tests += one.literal_tests();
  }
  rand48_access::set(state, X);
  if (draws) *draws = run.draws;
  if (counts) {
    counts->kernel_replays = decider.replays();
    counts->literal_tests = literal_tests;
  }
  return run.check.r;
}

}  // namespace fast_internal
}  // namespace drevel
