// The walk of the draws.
#include "evidence/draw_walker.h"

#include "evidence/fast_kernel.h"
#include "evidence/polynomial_squeeze.h"

namespace drevel {

uniform_ring::uniform_ring(uint64_t X, int64_t span, bool portable, int64_t ahead)
    : ahead_(ahead), avx2_(!portable && cpu_has_avx2()) {
  // Small enough to stay in the first-level cache for ordinary loci: a fill
  // runs `ahead` positions ahead, a walk reads at most `span` behind.
  int64_t size = 1 << 12;
  while (size < span + ahead + 1024) size *= 2;
  states_.resize(static_cast<size_t>(size));
  uniforms_.resize(static_cast<size_t>(size) + 1);
  mask_ = size - 1;
  states_[0] = X;
  uniforms_[0] = rand48_uniform(X);
  uniforms_[static_cast<size_t>(size)] = 1.0;
  jumps_.resize(static_cast<size_t>(span < 8 ? 8 : span) + 1);  // the fill uses 1..8
  jumps_[0] = {1, 0};
  for (size_t n = 1; n < jumps_.size(); n++)
    jumps_[n] = {(rand48_A * jumps_[n - 1].a) & rand48_mask,
                 (rand48_A * jumps_[n - 1].c + rand48_C) & rand48_mask};
}

void uniform_ring::skip_to(int64_t p) {
  if (p <= end_) return;
  const rand48_jump& j = jumps_[static_cast<size_t>(p - end_)];
  uint64_t X = (j.a * state(end_) + j.c) & rand48_mask;
  states_[slot(p)] = X;
  uniforms_[slot(p)] = rand48_uniform(X);
  end_ = p;
}

// Four interleaved chains, each jumping four steps, so that consecutive
// multiplies do not wait on each other.
void uniform_ring::fill(int64_t p) {
  constexpr rand48_jump j4 = rand48_jump_of(4);
  int64_t target = p + ahead_;
#if defined(__x86_64__) || defined(__i386__)
  if (avx2_) {
    int64_t groups = (target - end_) / 4;
    // The eight lanes' first states by independent jumps, not a chain of
    // steps: a short fill (the rejection walker's) then starts at once.
    uint64_t X = state(end_), first8[8];
    for (int i = 0; i < 8; i++) first8[i] = (jumps_[i + 1].a * X + jumps_[i + 1].c) & rand48_mask;
    ring_fill_avx2(states_.data(), uniforms_.data(), mask_, end_ + 1, groups, first8);
    end_ += 4 * groups;
    return;
  }
#endif
  uint64_t x1 = rand48_next(state(end_));
  uint64_t x2 = rand48_next(x1), x3 = rand48_next(x2), x4 = rand48_next(x3);
  int64_t q = end_ + 1;
  for (; q + 3 <= target; q += 4) {
    states_[slot(q)] = x1;
    states_[slot(q + 1)] = x2;
    states_[slot(q + 2)] = x3;
    states_[slot(q + 3)] = x4;
    uniforms_[slot(q)] = rand48_uniform(x1);
    uniforms_[slot(q + 1)] = rand48_uniform(x2);
    uniforms_[slot(q + 2)] = rand48_uniform(x3);
    uniforms_[slot(q + 3)] = rand48_uniform(x4);
    x1 = (j4.a * x1 + j4.c) & rand48_mask;
    x2 = (j4.a * x2 + j4.c) & rand48_mask;
    x3 = (j4.a * x3 + j4.c) & rand48_mask;
    x4 = (j4.a * x4 + j4.c) & rand48_mask;
  }
  end_ = q - 1;
}

// A walker that only takes the rejection deviates does not read its ring.
draw_walker::draw_walker(const draw_plan& plan, uint64_t X, bool portable, bool rejections_only)
    : plan_(plan),
      ring_(X, plan.max_run_uniforms + 8, portable, rejections_only ? 8 : 1024),
      scratch_(static_cast<size_t>(plan.max_run_uniforms) + 1),
      X_(X) {
  for (const product_run& run : plan.runs) run_jumps_.push_back(rand48_jump_of(run.uniforms));
}

namespace {

// The uniforms of the walk from the ring, which the product runs also read.
struct ring_source {
  uniform_ring* ring;
  const double* U;
  int64_t mask;
  int64_t p;
  void start_attempt() { ring->ensure(p + 3); }
  double next() { return U[++p & mask]; }
};

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
    int verdict = polynomial_acceptance(cell, x, y, u3);
    if (verdict == 0) verdict = squeeze_acceptance(cell, x, y, u3);
    if (verdict == 0) {
      ++*literal_tests;
      verdict = literal_acceptance(cell, x, y, u3);
    }
    if (verdict > 0) {
      source = src;
      return x;
    }
  }
}

}  // namespace

double draw_walker::rejection_deviate(const rejection_cell& cell, int64_t& p,
                                      int64_t* literal_tests) {
  ring_source src{&ring_, ring_.uniforms(), static_cast<int64_t>(ring_.one_slot()) - 1, p};
  double x = gamma_rejection(cell, src, literal_tests);
  p = src.p;
  return x;
}

void draw_walker::walk(double* G, uint64_t* X_start, uint64_t* X_end, int64_t* literal_tests) {
  const rejection_cell* rejection = plan_.rejection.data();
  double* P = G;
  double* R = G + plan_.np;
  *X_start = ring_.state(pos_);
  int64_t p = pos_;
  for (const draw_segment& seg : plan_.segments) {
    if (seg.run < 0) {
      *R++ = rejection_deviate(*rejection++, p, literal_tests);
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
