// The fast engine's run.
#include "fast/draw/engine.h"

#include <cstdio>

#include "evidence/monte_carlo.h"
#include "fast/bounds/rejection_table.h"
#include "fast/draw/draw_decider.h"
#include "fast/draw/draw_plan.h"
#include "fast/draw/one_thread.h"
#include "fast/draw/stretch_source.h"
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

// Whether the locus may take the split; if not, *why says so.
bool split_possible(const draw_plan& plan, int c, const engine_options& options,
                    std::string* why) {
  char line[160];
  if (options.threads < 2) {
    *why = "one thread: one thread asked for";
    return false;
  }
  if (c < options.pipeline_min_cells) {
    std::snprintf(line, sizeof line,
                  "one thread: %d cells, too few for two threads (they need %d)", c,
                  options.pipeline_min_cells);
    *why = line;
    return false;
  }
  if (plan.np < options.pipeline_min_product_share * c) {
    std::snprintf(line, sizeof line,
                  "one thread: %d of %d cells take the product branch, too few for two threads",
                  plan.np, c);
    *why = line;
    return false;
  }
  return true;
}

}  // namespace

mc_estimate run_fast_engine(const double* alpha, double L_hyp, const mc_rule& rule, int c,
                            rand48_state& state, const engine_options& options,
                            engine_counts* counts) {
  // A shape below 1 ends the process inside gamadev, with its message.
  if (c < 1 || !shapes_valid(alpha, c)) return monte_carlo_literal(alpha, L_hyp, rule, c, state);
  const simd_path path = choose_simd_path(options.portable);
  const draw_plan plan = make_draw_plan(alpha, c);
  draw_decider decider(plan, path, alpha, L_hyp);
  // One set of tables for every walker of the run: a walker fills a bin on
  // first use, and the drivers take turns.
  rejection_tables tables(plan.rejection);
  uint64_t X = rand48_access::get(state);
  mc_run run;
  int64_t literal_tests = 0;
  std::string why;
  const bool split = split_possible(plan, c, options, &why);
  driver_schedule schedule(split ? options.schedule : schedule_policy::timed,
                           options.alternate_draws);
  if (!split) schedule.split_ended();  // one thread throughout
  for (bool done = false; !done;) {
    const stretch s = schedule.next();
    const int64_t before = run.draws;
    int64_t timed_draws = 0;
    double seconds = 0;
    if (s.driver == draw_driver::two_threads) {
      two_thread_draws two(plan, decider, X, path, options.draw_keep, &tables);
      stretch_of<two_thread_draws> source{two, s.draws, s.seconds};
      done = run_draws(source, rule, run);
      source.timed(&timed_draws, &seconds);
      X = two.state();
      literal_tests += two.finish();
      if (!done && source.source_ended) schedule.split_ended();
    } else {
      one_thread_draws one(plan, decider, X, path, &tables);
      stretch_of<one_thread_draws> source{one, s.draws, s.seconds};
      done = run_draws(source, rule, run);
      source.timed(&timed_draws, &seconds);
      X = one.state();
      literal_tests += one.literal_tests();
    }
    schedule.done(s, run.draws - before, timed_draws, seconds);
  }
  rand48_access::set(state, X);
  if (counts) {
    counts->kernel_replays = decider.replays();
    counts->literal_tests = literal_tests;
    counts->two_thread_draws = schedule.draws_on(draw_driver::two_threads);
    counts->driver = split ? describe_schedule(schedule, run.draws) : why;
  }
  return mc_estimate_of(run, rule);
}

}  // namespace fast_internal
}  // namespace drevel
