// The fast engine's draws on the caller's thread, as a draw source for the
// shared draw loop (evidence/draw_loop.h): each draw walked from the stream
// and decided in turn.
#ifndef DREVEL_FAST_DRAW_ONE_THREAD_H
#define DREVEL_FAST_DRAW_ONE_THREAD_H

#include <cstdint>
#include <vector>

#include "fast/draw/draw_decider.h"
#include "fast/draw/draw_plan.h"
#include "fast/draw/draw_walker.h"
#include "fast/stream/cpu_dispatch.h"

namespace drevel {

class one_thread_draws {
 public:
  static constexpr bool may_end = false;

  // Draws of `plan` from state X on; plan and decider (and tables, the
  // run's rejection tables, or null for the walker's own) must outlive it.
  one_thread_draws(const draw_plan& plan, draw_decider& decider, uint64_t X, simd_path path,
                   rejection_tables* tables = nullptr)
      : decider_(decider), walker_(plan, X, path, tables), G_(static_cast<size_t>(plan.c)), X_(X) {}

  int next_hit() {
    uint64_t X0;
    walker_.walk(G_.data(), &X0, &X_, &literal_tests_);
    return decider_.decide(G_.data(), X0, X_);
  }

  // The state after the last draw.
  uint64_t state() const { return X_; }
  // Acceptance tests left to the library's log and exp so far.
  int64_t literal_tests() const { return literal_tests_; }

 private:
  draw_decider& decider_;
  draw_walker walker_;
  std::vector<double> G_;
  uint64_t X_;
  int64_t literal_tests_ = 0;
};

}  // namespace drevel

#endif
