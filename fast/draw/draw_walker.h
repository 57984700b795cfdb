// The walk through the uniform stream that turns it into draws: for each
// draw, the products of uniforms of the product-branch cells and the
// deviates of the rejection-branch cells, with exactly gamadev's uniforms
// and gamadev's decisions.
#ifndef DREVEL_FAST_DRAW_DRAW_WALKER_H
#define DREVEL_FAST_DRAW_DRAW_WALKER_H

#include <cstdint>
#include <memory>
#include <vector>

#include "fast/bounds/rejection_table.h"
#include "fast/draw/draw_plan.h"
#include "fast/stream/cpu_dispatch.h"
#include "fast/stream/uniform_ring.h"

namespace drevel {

class draw_walker {
 public:
  // A walker from state X; one walker is asked either for walk or for
  // walk_rejections, never both.  tables: the rejection tables of the
  // plan's rejection cells to fill and read, kept by the caller so that
  // walkers taking turns over one run fill each bin once (only one walker
  // may use them at a time); null: the walker keeps its own.
  // keep: positions that stay readable behind the newest one generated (at
  // least a product run's; the two-thread walker keeps a whole draw, whose
  // products it forms after walking it).
  draw_walker(const draw_plan& plan, uint64_t X, simd_path path,
              rejection_tables* tables = nullptr, int64_t keep = 0);

  // Walks the next draw: products into G[0..np), deviates into G[np..c);
  // *X_start and *X_end are the states before its first and after its last
  // uniform.  *literal_tests counts acceptance tests that the squeeze left
  // to the library's log and exp.
  void walk(double* G, uint64_t* X_start, uint64_t* X_end, int64_t* literal_tests);

  // The same walk without the products, for the two-thread engine:
  // rejection deviates into R (one per rejection-branch cell) and, for each
  // product run, the position before its first uniform into run_positions,
  // for products_at; *start is the draw's first position.
  void walk_rejections(double* R, int64_t* run_positions, int64_t* start, uint64_t* X_start,
                       uint64_t* X_end, int64_t* literal_tests);

  // The position the next draw starts from.
  int64_t position() const { return pos_; }
  const uniform_ring& ring() const { return ring_; }

 private:
  // The draw as walk steps: a product run (run >= 0), or `count`
  // consecutive rejection-branch cells from `first` (run < 0).  A cluster
  // also knows where the next one starts, `gap` uniforms after its end (-1:
  // too far to bother), and its cells, so that it can have the next
  // cluster's attempt words computed while it finishes.
  struct walk_step {
    int run, first, count;
    int gap = -1, next_count = 0;
  };
  void rejection_cluster(const walk_step& step, double* R, int64_t& p, int64_t* literal_tests);
  void make_steps();

  const draw_plan& plan_;
  uniform_ring ring_;
  std::unique_ptr<rejection_tables> own_tables_;
  rejection_tables* tables_;
  std::vector<walk_step> steps_;
  std::vector<int64_t> accepted_;  // a cluster's accepted attempt positions
  std::vector<double> scratch_;  // a run's uniforms where they wrap round the ring
  int64_t pos_ = 0;
};

// The products of the product-branch cells of runs first_run..end_run-1
// into P (kernel layout), from the uniforms U (a ring with the given mask
// and one slot of 1.0 after it) and the position before each product run
// (run_positions[r] for run r); scratch holds at least
// plan.max_run_uniforms + 1 values, for runs that wrap round the ring.
void products_at(const draw_plan& plan, const double* U, int64_t mask,
                 const int64_t* run_positions, double* P, double* scratch, size_t first_run,
                 size_t end_run);

}  // namespace drevel

#endif
