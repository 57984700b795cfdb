// The fast engine's draws on two threads, as a draw source for the shared
// draw loop (evidence/draw_loop.h).  A walker thread takes every draw's
// rejection-branch deviates, which must be walked in stream order, records
// where each product run starts and forms the products of the first few
// runs, as many as even out the two threads' work; the caller's thread forms
// the other runs' products, evaluates the kernel and decides the hits in
// draw order, exactly as on one thread.  Each thread generates the uniform
// stream for itself, in a ring of its own that keeps a whole draw, so that
// the only data crossing between the cores is the ring of draw records; the
// walker may run ahead by that ring's length, and draws it walked past the
// stopping point are discarded.
#ifndef DREVEL_FAST_DRAW_TWO_THREADS_H
#define DREVEL_FAST_DRAW_TWO_THREADS_H

#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "fast/bounds/rejection_table.h"
#include "fast/draw/draw_decider.h"
#include "fast/draw/draw_plan.h"
#include "fast/stream/cpu_dispatch.h"
#include "fast/stream/uniform_ring.h"

namespace drevel {

namespace two_threads_detail {
struct draw_ring;
}

class two_thread_draws {
 public:
  // next_hit returns -1 when a draw is too long for the shared stream: the
  // walker has given up, and the run goes on on one thread from state().
  static constexpr bool may_end = true;

  // Starts the walker on draws of `plan` from state X; keep > 0 sets the
  // longest draw (in positions) that the two threads' rings keep whole
  // instead of the one chosen from the plan: a longer draw ends the split.  tables: the run's rejection tables, which the
  // walker thread fills and reads until finish() (null: its own).  plan,
  // decider and tables must outlive it.
  two_thread_draws(const draw_plan& plan, draw_decider& decider, uint64_t X, simd_path path,
                   int64_t keep = 0, rejection_tables* tables = nullptr);
  // Stops and joins the walker.
  ~two_thread_draws();
  two_thread_draws(const two_thread_draws&) = delete;
  two_thread_draws& operator=(const two_thread_draws&) = delete;

  int next_hit();

  // The state after the last draw handed out.
  uint64_t state() const { return X_end_; }
  // Stops and joins the walker; returns the acceptance tests it left to the
  // library's log and exp, draws past the stopping point included (a
  // statistic only).
  int64_t finish();

 private:
  const draw_plan& plan_;
  draw_decider& decider_;
  std::unique_ptr<two_threads_detail::draw_ring> ring_;
  int64_t keep_;          // the longest draw the rings keep whole
  uniform_ring uniforms_;  // this thread's own copy of the stream
  int64_t walker_tests_ = 0;
  std::vector<double> G_, scratch_;
  uint64_t X_end_;
  int64_t N_ = 0, available_ = 0;
  std::thread walker_;  // last: started once everything it reads is there
};

}  // namespace drevel

#endif
