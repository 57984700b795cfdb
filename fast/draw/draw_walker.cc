// The walk of the draws.
#include "fast/draw/draw_walker.h"

#include <algorithm>

#include "fast/bounds/acceptance.h"

namespace drevel {

draw_walker::draw_walker(const draw_plan& plan, uint64_t X, simd_path path,
                         rejection_tables* tables, int64_t keep)
    : plan_(plan),
      ring_(X, std::max<int64_t>(keep, plan.max_run_uniforms + 8), path, 1024,
            !plan.rejection.empty()),
      own_tables_(tables ? nullptr : new rejection_tables(plan.rejection)),
      tables_(tables ? tables : own_tables_.get()),
      scratch_(static_cast<size_t>(plan.max_run_uniforms) + 1) {
  make_steps();
}

void draw_walker::make_steps() {
  const draw_plan& plan = plan_;
  int cell = 0;
  for (const draw_segment& seg : plan.segments) {
    if (seg.run >= 0) {
      steps_.push_back({seg.run, 0, 0});
    } else if (!steps_.empty() && steps_.back().run < 0) {
      steps_.back().count++;
      cell++;
    } else {
      steps_.push_back({-1, cell++, 1});
    }
  }
  // The next cluster of each, round the end of the draw into the next one.
  size_t steps = steps_.size();
  for (size_t i = 0; i < steps; i++) {
    if (steps_[i].run >= 0) continue;
    int gap = 0;
    for (size_t k = (i + 1) % steps;; k = (k + 1) % steps) {
      if (steps_[k].run < 0) {
        if (gap + 8 * steps_[k].count + 8 <= 1024) {
          steps_[i].gap = gap;
          steps_[i].next_count = steps_[k].count;
        }
        break;
      }
      gap += plan.runs[static_cast<size_t>(steps_[k].run)].uniforms;
    }
  }
  accepted_.resize(plan.rejection.size() + 1);
}

namespace {

// The uniforms p + 1 .. p + n as W[1..n]: straight from the ring, or copied
// out of it in order into scratch where they wrap round its end.
inline const double* run_window(const double* U, int64_t mask, int64_t p, int n,
                                double* scratch) {
  size_t s = static_cast<size_t>(p & mask);
  if (s + static_cast<size_t>(n) <= static_cast<size_t>(mask)) return U + s;
  for (int j = 1; j <= n; j++) scratch[j] = U[static_cast<size_t>((p + j) & mask)];
  return scratch;
}

}  // namespace

// gamadev's rejection loops of `count` consecutive cells from `first`, on
// the ring's attempt bins.  The cells' tables decide most attempts from the
// bin and u3 alone (discarded attempts included), and the walk moves on
// without a branch: the position advances by 2 or 3 and the cell by 0 or 1
// through arithmetic, so that no attempt costs a misprediction and only the
// cluster's end is a branch that the processor cannot foresee.  An attempt
// costs a chain of two dependent loads (its word, the bin's bounds).  The
// squeezes decide what the tables leave open (the first of them in a bin
// fills the bin's bounds).  The deviates x = s y + am are computed at the end from the
// accepted positions.  p is the position before the cluster's first
// uniform, and after its last on return.
void draw_walker::rejection_cluster(const walk_step& step, double* R, int64_t& p,
                                    int64_t* literal_tests) {
  const int first = step.first, count = step.count;
  using rejection_table_detail::bins;
  const double* U = ring_.uniforms();
  const uint32_t* words = ring_.attempt_words();
  const int64_t mask = ring_.mask();
  const rejection_bounds* table = tables_->entries(first);  // cell j's
  int64_t* accepted = accepted_.data();
  int64_t q = p;
  int j = 0;
  // About 6.5 uniforms per deviate; a longer walk bins more as it goes.
  ring_.ensure_attempts(q, 8 * count + 8);
  while (j < count) {
    ring_.ensure_attempt(q);
    uint32_t word = words[q & mask];
    uint32_t bin = word & 0xffff, t = word >> 16;
    const rejection_bounds b = table[bin];
    int accept = t < b.lo;
    int decided = accept | (t >= b.hi);
    if (__builtin_expect(!decided, 0)) {
      const rejection_cell& cell = plan_.rejection[static_cast<size_t>(first + j)];
      if (!tables_->filled(first + j, static_cast<int>(bin)))
        tables_->fill(first + j, static_cast<int>(bin));
      double u1 = U[(q + 1) & mask], u2 = U[(q + 2) & mask];
      double y = ((u2 + u2) - 1) / ((u1 + u1) - 1);
      double x = cell.s * y + cell.am;
      if (x <= 0) {
        q += 2;
        continue;
      }
      accept = accepts(cell, x, y, U[(q + 3) & mask], literal_tests);
      accepted[j] = q;
      q += 3;
      j += accept;
      table += accept ? bins : 0;
      continue;
    }
    accepted[j] = q;  // kept only once the cell moves on
    // An attempt that reaches u3 takes three uniforms whether accepted or
    // not, a discarded one two (and is never accepted), so the position
    // does not wait for the comparison.
    q += 3 - (b.hi == 0);
    j += accept;
    table += -static_cast<int64_t>(accept) & bins;
  }
  // The next cluster's words, while the deviates below and the product
  // run between are computed: their latency then costs nothing.
  if (step.gap >= 0) ring_.ensure_attempts(q + step.gap, 8 * step.next_count + 8);
  for (int i = 0; i < count; i++) {
    const rejection_cell& cell = plan_.rejection[static_cast<size_t>(first + i)];
    int64_t a = accepted[i];
    double u1 = U[(a + 1) & mask], u2 = U[(a + 2) & mask];
    R[i] = cell.s * (((u2 + u2) - 1) / ((u1 + u1) - 1)) + cell.am;
  }
  p = q;
}

void draw_walker::walk(double* G, uint64_t* X_start, uint64_t* X_end, int64_t* literal_tests) {
  double* P = G;
  double* R = G + plan_.np;
  *X_start = ring_.state(pos_);
  int64_t p = pos_;
  for (const walk_step& step : steps_) {
    if (step.run < 0) {
      rejection_cluster(step, R, p, literal_tests);
      R += step.count;
      continue;
    }
    const product_run& run = plan_.runs[static_cast<size_t>(step.run)];
    ring_.ensure(p + run.uniforms);
    run_products(plan_, run, run_window(ring_.uniforms(), ring_.mask(), p, run.uniforms,
                                        scratch_.data()),
                 P);
    p += run.uniforms;
  }
  pos_ = p;
  *X_end = ring_.state(p);
}

void draw_walker::walk_rejections(double* R, int64_t* run_positions, int64_t* start,
                                  uint64_t* X_start, uint64_t* X_end, int64_t* literal_tests) {
  *start = pos_;
  *X_start = ring_.state(pos_);
  int64_t p = pos_;
  for (const walk_step& step : steps_) {
    if (step.run < 0) {
      rejection_cluster(step, R, p, literal_tests);
      R += step.count;
      continue;
    }
    *run_positions++ = p;
    p += plan_.runs[static_cast<size_t>(step.run)].uniforms;
  }
  ring_.ensure(p);
  pos_ = p;
  *X_end = ring_.state(p);
}

void products_at(const draw_plan& plan, const double* U, int64_t mask,
                 const int64_t* run_positions, double* P, double* scratch, size_t first_run,
                 size_t end_run) {
  for (size_t r = first_run; r < end_run; r++) {
    const product_run& run = plan.runs[r];
    run_products(plan, run, run_window(U, mask, run_positions[r], run.uniforms, scratch), P);
  }
}

}  // namespace drevel
