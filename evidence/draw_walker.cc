// The walk of the draws.
#include "evidence/draw_walker.h"

#include "evidence/fast_kernel.h"
#include "evidence/polynomial_squeeze.h"

namespace drevel {

// A walker that only takes the rejection deviates does not read its ring.
draw_walker::draw_walker(const draw_plan& plan, uint64_t X, bool portable, bool rejections_only)
    : plan_(plan),
      ring_(X, plan.max_run_uniforms + 8, portable, rejections_only ? 8 : 1024,
            !rejections_only && !plan.rejection.empty()),
      scratch_(static_cast<size_t>(plan.max_run_uniforms) + 1),
      X_(X) {
  if (!rejections_only)
    for (const rejection_cell& cell : plan.rejection) tables_.emplace_back(cell);
  for (const product_run& run : plan.runs) run_jumps_.push_back(rand48_jump_of(run.uniforms));
}

namespace {

// The uniforms of a walk that only takes the rejection deviates, straight
// from the generator: one 64-bit step each, nothing stored.
struct stream_source {
  uint64_t X;
  void start_attempt() {}
  double next() {
    X = rand48_next(X);
    return rand48_uniform(X);
  }
};

// gamadev's acceptance test u3 <= e of an attempt with x > 0: the
// polynomial squeeze, then the log-domain squeeze, then the library.
// Inlined into the attempt loops: a call would spill the attempt's values.
__attribute__((always_inline)) inline bool accepts(const rejection_cell& cell, double x, double y,
                                                   double u3, int64_t* literal_tests) {
  int verdict = polynomial_acceptance(cell, x, y, u3);
  if (verdict == 0) verdict = squeeze_acceptance(cell, x, y, u3);
  if (verdict == 0) {
    ++*literal_tests;
    verdict = literal_acceptance(cell, x, y, u3);
  }
  return verdict > 0;
}

// gamadev's rejection loop, with u1, u2 and u3 from the source in gamadev's
// order; the acceptance test goes to the polynomial squeeze, then the
// log-domain squeeze, then the library.  The loop works on a local copy of
// the source, written back on acceptance, so that its position stays in a
// register instead of being stored at every attempt.
template <class Source>
double gamma_rejection(const rejection_cell& cell, Source& source, int64_t* literal_tests) {
  const double am = cell.am, s = cell.s;
  Source src = source;
  for (;;) {
    src.start_attempt();
    double u1 = src.next();
    double vx = (u1 + u1) - 1;
    double u2 = src.next();
    double vy = (u2 + u2) - 1;
    if (vx * vx + vy * vy > 1) continue;
    double y = vy / vx;
    double x = s * y + am;
    if (x <= 0) continue;
    double u3 = src.next();
    if (accepts(cell, x, y, u3, literal_tests)) {
      source = src;
      return x;
    }
  }
}

}  // namespace

// gamadev's rejection loop on the ring's attempt bins: the cell's table
// decides most attempts from the bin and u3 alone (discarded attempts
// included), so that an attempt's critical path is two loads and a
// comparison; the squeezes decide the others (the first of them in a bin
// fills the bin's bounds).  y itself is computed only for the deviate and
// for the attempts the table leaves open.  p is the position before the
// deviate's first uniform, and after its last on return.
double draw_walker::rejection_deviate(const rejection_cell& cell, rejection_table& table,
                                      int64_t& p, int64_t* literal_tests) {
  const double* U = ring_.uniforms();
  const uint64_t* X = ring_.states();
  const uint16_t* bins = ring_.attempt_bins();
  const rejection_bounds* bounds = table.entries();
  const int64_t mask = ring_.mask();
  int64_t q = p;
  for (;;) {
    ring_.ensure_attempt(q);
    int bin = bins[q & mask];
    const rejection_bounds b = bounds[bin];
    uint64_t t = X[(q + 3) & mask] >> 33;  // floor(u3 2^15)
    if (t < b.lo) break;
    if (t >= b.hi) {
      q += b.hi == 0 ? 2 : 3;
      continue;
    }
    double u3 = U[(q + 3) & mask];
    if (!table.filled(bin)) table.fill(bin);
    double u1 = U[(q + 1) & mask], u2 = U[(q + 2) & mask];
    double y = ((u2 + u2) - 1) / ((u1 + u1) - 1);
    double x = cell.s * y + cell.am;
    if (x <= 0) {
      q += 2;
      continue;
    }
    if (accepts(cell, x, y, u3, literal_tests)) break;
    q += 3;
  }
  double u1 = U[(q + 1) & mask], u2 = U[(q + 2) & mask];
  p = q + 3;
  return cell.s * (((u2 + u2) - 1) / ((u1 + u1) - 1)) + cell.am;
}

void draw_walker::walk(double* G, uint64_t* X_start, uint64_t* X_end, int64_t* literal_tests) {
  const rejection_cell* rejection = plan_.rejection.data();
  double* P = G;
  double* R = G + plan_.np;
  *X_start = ring_.state(pos_);
  int64_t p = pos_;
  for (const draw_segment& seg : plan_.segments) {
    if (seg.run < 0) {
      size_t i = static_cast<size_t>(rejection - plan_.rejection.data());
      *R++ = rejection_deviate(*rejection++, tables_[i], p, literal_tests);
      continue;
    }
    const product_run& run = plan_.runs[static_cast<size_t>(seg.run)];
    ring_.ensure(p + run.uniforms);
    // The run's uniforms straight from the ring, or copied out of it in
    // order where they wrap round its end.
    const double* W = ring_.uniforms() + ring_.slot(p);
    if (ring_.slot(p) + static_cast<size_t>(run.uniforms) >= ring_.one_slot()) {
      for (int j = 1; j <= run.uniforms; j++) scratch_[static_cast<size_t>(j)] = ring_.uniform(p + j);
      W = scratch_.data();
    }
    run_products(plan_, run, W, P);
    p += run.uniforms;
  }
  pos_ = p;
  *X_end = ring_.state(p);
}

void draw_walker::walk_rejections(double* R, uint64_t* run_states, uint64_t* X_start,
                                  uint64_t* X_end, int64_t* literal_tests) {
  const rejection_cell* rejection = plan_.rejection.data();
  stream_source src{X_};
  *X_start = src.X;
  for (const draw_segment& seg : plan_.segments) {
    if (seg.run < 0) {
      *R++ = gamma_rejection(*rejection++, src, literal_tests);
      continue;
    }
    *run_states++ = src.X;
    const rand48_jump& j = run_jumps_[static_cast<size_t>(seg.run)];
    src.X = (j.a * src.X + j.c) & rand48_mask;
  }
  X_ = src.X;
  *X_end = src.X;
}

// Each run's uniforms regenerated from its start state into scratch[1..n]
// on four interleaved chains, then multiplied as in walk.
void products_from_states(const draw_plan& plan, const uint64_t* run_states, double* P,
                          double* scratch) {
  for (const product_run& run : plan.runs) {
    constexpr rand48_jump j4 = rand48_jump_of(4);
    uint64_t x1 = rand48_next(*run_states++);
    uint64_t x2 = rand48_next(x1), x3 = rand48_next(x2), x4 = rand48_next(x3);
    for (int j = 1; j <= run.uniforms; j += 4) {  // may write up to 3 past the run
      scratch[j] = rand48_uniform(x1);
      scratch[j + 1] = rand48_uniform(x2);
      scratch[j + 2] = rand48_uniform(x3);
      scratch[j + 3] = rand48_uniform(x4);
      x1 = (j4.a * x1 + j4.c) & rand48_mask;
      x2 = (j4.a * x2 + j4.c) & rand48_mask;
      x3 = (j4.a * x3 + j4.c) & rand48_mask;
      x4 = (j4.a * x4 + j4.c) & rand48_mask;
    }
    run_products(plan, run, scratch, P);
  }
}

}  // namespace drevel
