// The walk of the draws.
#include "evidence/draw_walker.h"

#include <cstring>

namespace drevel {

uniform_ring::uniform_ring(uint64_t X, int64_t span) {
  int64_t size = 1 << 14;
  while (size < span + 4096) size *= 2;
  states_.resize(static_cast<size_t>(size));
  mask_ = size - 1;
  states_[0] = X;
}

// Four interleaved chains, each jumping four steps, so that consecutive
// multiplies do not wait on each other.
void uniform_ring::fill(int64_t p) {
  constexpr rand48_jump j4 = rand48_jump_of(4);
  int64_t target = p + 1024;
  uint64_t x1 = rand48_next(state(end_));
  uint64_t x2 = rand48_next(x1), x3 = rand48_next(x2), x4 = rand48_next(x3);
  int64_t q = end_ + 1;
  for (; q + 3 <= target; q += 4) {
    states_[static_cast<size_t>(q & mask_)] = x1;
    states_[static_cast<size_t>((q + 1) & mask_)] = x2;
    states_[static_cast<size_t>((q + 2) & mask_)] = x3;
    states_[static_cast<size_t>((q + 3) & mask_)] = x4;
    x1 = (j4.a * x1 + j4.c) & rand48_mask;
    x2 = (j4.a * x2 + j4.c) & rand48_mask;
    x3 = (j4.a * x3 + j4.c) & rand48_mask;
    x4 = (j4.a * x4 + j4.c) & rand48_mask;
  }
  end_ = q - 1;
}

draw_walker::draw_walker(const draw_plan& plan, uint64_t X)
    : plan_(plan), ring_(X, plan.max_run_uniforms + 8) {}

namespace {

// f when use, else 1.0, without a branch: multiplying by 1.0 is exact, so a
// cell of n uniforms can always multiply five factors.
inline double factor_or_one(double f, bool use) {
  uint64_t b, one;
  double x = 1.0;
  std::memcpy(&b, &f, sizeof b);
  std::memcpy(&one, &x, sizeof one);
  uint64_t m = 0 - static_cast<uint64_t>(use);
  uint64_t r = (b & m) | (one & ~m);
  std::memcpy(&x, &r, sizeof x);
  return x;
}

}  // namespace

// gamadev's rejection loop on the ring, with the acceptance test squeezed.
double draw_walker::rejection_deviate(const rejection_cell& cell, int64_t& p,
                                      int64_t* literal_tests) {
  for (;;) {
    ring_.ensure(p + 3);
    double u1 = ring_.uniform(p + 1);
    double vx = (u1 + u1) - 1;
    double u2 = ring_.uniform(p + 2);
    double vy = (u2 + u2) - 1;
    p += 2;
    if (vx * vx + vy * vy > 1) continue;
    double y = vy / vx;
    double x = cell.s * y + cell.am;
    if (x <= 0) continue;
    double u3 = ring_.uniform(++p);
    int verdict = squeeze_acceptance(cell, x, y, u3);
    if (verdict == 0) {
      ++*literal_tests;
      verdict = literal_acceptance(cell, x, y, u3);
    }
    if (verdict > 0) return x;
  }
}

void draw_walker::walk(double* G, uint64_t* X_start, uint64_t* X_end, int64_t* literal_tests) {
  const product_cell* cells = plan_.product_cells.data();
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
    ring_.ensure(p + run.uniforms + 4);
    for (int k = run.first; k < run.first + run.count; k++) {
      int64_t b = p + cells[k].offset;
      int n = cells[k].uniforms;
      double x = ring_.uniform(b + 1);  // gamadev's 1.0 * u1 is u1
      x *= factor_or_one(ring_.uniform(b + 2), n >= 2);
      x *= factor_or_one(ring_.uniform(b + 3), n >= 3);
      x *= factor_or_one(ring_.uniform(b + 4), n >= 4);
      x *= factor_or_one(ring_.uniform(b + 5), n >= 5);
      *P++ = x;
    }
    p += run.uniforms;
  }
  pos_ = p;
  *X_end = ring_.state(p);
}

}  // namespace drevel
