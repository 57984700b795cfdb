// The fast engine's run: the plan, the decider and the choice between one
// and two threads, driving the shared draw loop.  Internal: the program
// reaches it through fast/fast_engine.h; the options here include the knobs
// that the tests turn.
#ifndef DREVEL_FAST_DRAW_ENGINE_H
#define DREVEL_FAST_DRAW_ENGINE_H

#include <cstdint>
#include <string>

#include "evidence/draw_loop.h"
#include "fast/draw/driver_schedule.h"
#include "random/rand48.h"

namespace drevel {
namespace fast_internal {

struct engine_options {
  // Threads: 1 runs everything on the caller's thread; 2 or more may split
  // each draw between a thread that walks the rejection-branch cells and
  // the caller's, which does the rest (more than 2 are not used), as the
  // schedule decides (driver_schedule.h).
  int threads = 1;
  schedule_policy schedule = schedule_policy::timed;
  int64_t alternate_draws = 100;  // the alternate schedule's stretch
  bool portable = false;  // true: never the AVX2 path, even where available
  // Loci with fewer cells run on one thread whatever `threads` says: their
  // draws are too short to pay for the hand-over between cores.
  int pipeline_min_cells = 36;
  // Nor do loci whose draws are mostly rejection-branch cells: the walker
  // thread would have nearly all the work.  The share of product-branch
  // cells a locus needs for the split.
  double pipeline_min_product_share = 0.5;
  // The longest draw, in positions, that the two threads' rings keep
  // whole; 0 chooses it from the locus (tests set it small to exercise
  // draws too long for it).
  int64_t draw_keep = 0;
};

// What a run did besides the result.
struct engine_counts {
  int64_t kernel_replays = 0;  // draws evaluated literally (bound or range)
  int64_t literal_tests = 0;   // rejection attempts decided by log and exp
  int64_t two_thread_draws = 0;  // draws taken on two threads
  std::string driver;  // which driver ran and why, one line
};

// monte_carlo_fast with the internal options: the same estimate (r, draws,
// hits, end) and final state as monte_carlo_literal(alpha, L_hyp, rule, c,
// state).  counts may be null.
mc_estimate run_fast_engine(const double* alpha, double L_hyp, const mc_rule& rule, int c,
                            rand48_state& state, const engine_options& options,
                            engine_counts* counts);

}  // namespace fast_internal
}  // namespace drevel

#endif
