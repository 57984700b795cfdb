// The walk through the uniform stream that turns it into draws: for each
// draw, the products of uniforms of the product-branch cells and the
// deviates of the rejection-branch cells, with exactly gamadev's uniforms
// and gamadev's decisions.
#ifndef DREVEL_EVIDENCE_DRAW_WALKER_H
#define DREVEL_EVIDENCE_DRAW_WALKER_H

#include <cstdint>
#include <vector>

#include "evidence/draw_plan.h"
#include "random/rand48_access.h"

namespace drevel {

// The stream's states and uniforms by position, generated ahead in blocks:
// position 0 is the state the ring starts from, position p the state after
// the p-th uniform.  Positions stay readable for the ring's size - 2048
// further ones.  One slot past the ring holds 1.0, for factors a cell does
// not take.
class uniform_ring {
 public:
  // A ring that keeps at least `span` positions readable behind the newest
  // and generates `ahead` positions past each request; it fills with AVX2
  // where the processor has it, unless portable.
  uniform_ring(uint64_t X, int64_t span, bool portable = false, int64_t ahead = 1024);
  uint64_t state(int64_t p) const { return states_[slot(p)]; }
  double uniform(int64_t p) const { return uniforms_[slot(p)]; }
  size_t slot(int64_t p) const { return static_cast<size_t>(p & mask_); }
  size_t one_slot() const { return static_cast<size_t>(mask_ + 1); }
  const double* uniforms() const { return uniforms_.data(); }
  // Makes positions up to p readable.
  void ensure(int64_t p) {
    if (p > end_) fill(p);
  }
  // Makes position p readable without generating the positions before it
  // that are not yet there (they stay unreadable): one jump of the
  // generator, for stretches nobody reads.  p - end at most `span`.
  void skip_to(int64_t p);

 private:
  void fill(int64_t p);
  std::vector<uint64_t> states_;
  std::vector<double> uniforms_;
  std::vector<rand48_jump> jumps_;  // jumps_[n]: n steps at once, n <= span
  int64_t mask_;
  int64_t end_ = 0;
  int64_t ahead_;
  bool avx2_;
};

// `groups` groups of four states and uniforms from position q on, whose
// states first8[0..8) are X(q) .. X(q + 7), into the ring's arrays (x86
// with AVX2 only).
void ring_fill_avx2(uint64_t* states, double* uniforms, int64_t mask, int64_t q, int64_t groups,
                    const uint64_t* first8);

class draw_walker {
 public:
  // rejections_only: the walker will only be asked for walk_rejections (the
  // two are never mixed on one walker).
  draw_walker(const draw_plan& plan, uint64_t X, bool portable = false,
              bool rejections_only = false);

  // Walks the next draw: products into G[0..np), deviates into G[np..c);
  // *X_start and *X_end are the states before its first and after its last
  // uniform.  *literal_tests counts acceptance tests that the squeeze left
  // to the library's log and exp.
  void walk(double* G, uint64_t* X_start, uint64_t* X_end, int64_t* literal_tests);

  // The same walk without the products: rejection deviates into R (one per
  // rejection-branch cell) and, for each product run, the state before its
  // first uniform into run_states, for products_from_states.  It steps the
  // generator itself, one uniform at a time, and jumps over each product run
  // at once: nothing is stored for positions only the products read.
  void walk_rejections(double* R, uint64_t* run_states, uint64_t* X_start, uint64_t* X_end,
                       int64_t* literal_tests);

 private:
  double rejection_deviate(const rejection_cell& cell, int64_t& p, int64_t* literal_tests);

  const draw_plan& plan_;
  uniform_ring ring_;
  std::vector<double> scratch_;  // a run's uniforms where they wrap round the ring
  int64_t pos_ = 0;
  uint64_t X_;                          // walk_rejections' place in the stream
  std::vector<rand48_jump> run_jumps_;  // each product run's uniforms in one jump
};

// The products of the product-branch cells into P (draw order), from the
// state before each product run; scratch holds at least
// plan.max_run_uniforms + 5 values.
void products_from_states(const draw_plan& plan, const uint64_t* run_states, double* P,
                          double* scratch);

}  // namespace drevel

#endif
