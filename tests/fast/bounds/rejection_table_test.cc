#include "fast/bounds/rejection_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "fast/bounds/rejection_cell.h"

using namespace drevel;

namespace {

double uniform48(std::mt19937_64& rng) { return static_cast<double>(rng() >> 16) * 0x1p-48; }

// gamadev's own verdict on an attempt: -2 discarded before u3 (outside the
// disc, or x <= 0), -1 rejected on u3, +1 accepted.
int gamadev_verdict(const rejection_cell& cell, double u1, double u2, double u3) {
  double vx = (u1 + u1) - 1, vy = (u2 + u2) - 1;
  if (vx * vx + vy * vy > 1) return -2;
  double y = vy / vx, x = cell.s * y + cell.am;
  if (x <= 0) return -2;
  return literal_acceptance(cell, x, y, u3);
}

// The table's verdict, 0 when it leaves the attempt open.
int table_verdict(rejection_tables& tables, int i, double u1, double u2, double u3) {
  int bin = attempt_bin(u1, u2);
  tables.fill(i, bin);
  rejection_bounds b = tables.entries(i)[bin];
  uint32_t t = top_bits(u3);
  if (t < b.lo) return 1;
  if (t >= b.hi) return b.hi == 0 ? -2 : -1;
  return 0;
}

}  // namespace

// Random attempts, and u3 placed at gamadev's e and one double either side:
// whatever the table decides is gamadev's verdict, for shapes from the
// smallest of the branch to where the margin stops the tables, and it
// decides nearly every random attempt.
TEST(rejection_table, never_contradicts_gamadev) {
  std::mt19937_64 rng(7);
  const std::vector<double> shapes = {6.0, 6.0001, 7.5, 17.3, 36.0001, 1000.0001, 1e5, 1e8, 1e12};
  std::vector<rejection_cell> cells;
  for (double a : shapes) cells.push_back(make_rejection_cell(a));
  rejection_tables tables(cells);
  for (size_t i = 0; i < cells.size(); i++) {
    const rejection_cell& cell = cells[i];
    long long attempts = 0, decided = 0;
    for (int n = 0; n < 60000; n++) {
      double u1 = uniform48(rng), u2 = uniform48(rng), u3 = uniform48(rng);
      attempts++;
      int v = table_verdict(tables, static_cast<int>(i), u1, u2, u3);
      if (v != 0) {
        decided++;
        ASSERT_EQ(v, gamadev_verdict(cell, u1, u2, u3)) << shapes[i] << " " << u1 << " " << u2;
      }
      double vx = (u1 + u1) - 1, vy = (u2 + u2) - 1, y = vy / vx, x = cell.s * y + cell.am;
      if (vx * vx + vy * vy > 1 || !(x > 0)) continue;
      double e = (y * y + 1) * std::exp(cell.am * std::log(x / cell.am) - cell.s * y);
      for (double w : {e, std::nextafter(e, 0.0), std::nextafter(e, 2.0)}) {
        if (!(w >= 0 && w < 1)) continue;
        int vw = table_verdict(tables, static_cast<int>(i), u1, u2, w);
        if (vw != 0) {
          ASSERT_EQ(vw, gamadev_verdict(cell, u1, u2, w)) << shapes[i] << " at e";
        }
      }
    }
    if (shapes[i] < 1e8) {
      EXPECT_GT(decided, attempts * 95 / 100) << shapes[i];
    }
    if (shapes[i] > 1e11) {
      EXPECT_EQ(decided * 100 / attempts, 21) << "only the disc decides";
    }
  }
}

// The edges of the attempt: u1 = 1/2 makes vx = 0 (y infinite, or NaN with
// u2 = 1/2), u = 0 and the largest uniform; the NaN goes to a bin that is
// never decided, an infinite y of the wrong sign to a discard.
TEST(rejection_table, special_attempts_keep_gamadev_verdict) {
  std::vector<rejection_cell> cells = {make_rejection_cell(6.0), make_rejection_cell(50.0001)};
  rejection_tables tables(cells);
  const double edge[] = {0.0, 0.5, 0.25, 0.75, 1 - 0x1p-48, 0x1p-48, 0.5 + 0x1p-48};
  for (int i = 0; i < 2; i++)
    for (double u1 : edge)
      for (double u2 : edge)
        for (double u3 : edge) {
          int v = table_verdict(tables, i, u1, u2, u3);
          if (v != 0) {
            EXPECT_EQ(v, gamadev_verdict(cells[i], u1, u2, u3)) << u1 << " " << u2;
          }
        }
  EXPECT_EQ(attempt_bin(0.5, 0.5), rejection_table_detail::nan_bin);
}

namespace {

// e as gamadev computes it, for an attempt with x > 0.
double gamadev_e(const rejection_cell& cell, double x, double y) {
  return (y * y + 1) * std::exp(cell.am * std::log(x / cell.am) - cell.s * y);
}

// A uniform in [0, 1) as the generator makes them: a multiple of 2^-48.
struct attempt_sample {
  double y, x;
  float yf;
  bool reaches_u3;
};
attempt_sample sample_attempt(std::mt19937_64& rng, const rejection_cell& cell) {
  for (;;) {
    double vx = (uniform48(rng) * 2) - 1, vy = (uniform48(rng) * 2) - 1;
    if (vx * vx + vy * vy > 1) continue;
    attempt_sample a;
    a.y = vy / vx;
    a.x = cell.s * a.y + cell.am;
    a.yf = static_cast<float>(vy) / static_cast<float>(vx);
    a.reaches_u3 = a.x > 0;
    if (std::isfinite(a.y)) return a;
  }
}

}  // namespace

// The bounds at their tightest: over the single y of an attempt, gamadev's
// own e must still lie between them; what is left is exactly the margin
// for gamadev's rounding and the library's error (the 2E factors), which a
// range of one y does not hide.  And over the single float quotient yf of
// the attempt, which is all a bin knows of y: the widening by
// float_widening must cover the y behind it.
TEST(rejection_table, bounds_hold_over_a_single_attempt) {
  std::mt19937_64 rng(17);
  const double shapes[] = {6.0, 6.0001, 7.5, 17.3, 36.0001, 1000.0001, 1e5, 1e7, 1.2e8};
  long long bounded_y = 0, bounded_yf = 0, discards = 0;
  for (double a : shapes) {
    rejection_cell cell = make_rejection_cell(a);
    for (int n = 0; n < 40000; n++) {
      attempt_sample t = sample_attempt(rng, cell);
      double e = t.reaches_u3 ? gamadev_e(cell, t.x, t.y) : 0;
      double ay = std::fabs(t.y), ayf = std::fabs(static_cast<double>(t.yf));
      acceptance_bounds by = bounds_over_y(cell, ay, ay, t.y < 0);
      acceptance_bounds bf = bounds_over_float_y(cell, ayf, ayf, t.yf < 0);
      for (const acceptance_bounds& b : {by, bf}) {
        if (b.kind == acceptance_bounds::discarded) {
          ASSERT_FALSE(t.reaches_u3) << a << " y " << t.y;
          discards++;
        }
        if (b.kind == acceptance_bounds::bounded && t.reaches_u3) {
          ASSERT_LE(b.lo, e) << a << " y " << t.y << " yf " << t.yf;
          ASSERT_GE(b.hi, e) << a << " y " << t.y << " yf " << t.yf;
        }
      }
      bounded_y += by.kind == acceptance_bounds::bounded;
      bounded_yf += bf.kind == acceptance_bounds::bounded;
    }
  }
  // Nearly every attempt is bounded both ways, and the discards are met.
  EXPECT_GT(bounded_y, 9 * 40000 * 8 / 10);
  EXPECT_GT(bounded_yf, 9 * 40000 * 8 / 10);
  EXPECT_GT(discards, 0);
}

// A bin of y < 0 whose inner end is just past -am/s discards every attempt
// whose y lies in it, but the bin holds float quotients: an attempt with y a
// hair inside -am/s has its yf rounded onto the bin's edge, and gamadev
// reaches u3 with it (three uniforms, not two).  The widening of the bin by
// float_widening keeps the table from calling it a discard.
TEST(rejection_table, a_bin_edge_at_minus_am_over_s_keeps_the_attempts_that_reach_u3) {
  // vx = 1/4 and vy = -(1/2 - 2^-47): y = -(2 - 2^-45), and in single
  // precision vy rounds to -1/2, so yf = -2 exactly, the inner edge of a bin.
  const double u1 = 0.625, u2 = 0.25 + 0x1p-48;
  const double vx = (u1 + u1) - 1, vy = (u2 + u2) - 1, y = vy / vx;
  ASSERT_EQ(static_cast<float>(vy) / static_cast<float>(vx), -2.0f);
  // A shape with am/s just below 2: fl(s 2) >= fl(am (1 + 2^-48)), so every
  // y <= -2 gives x <= 0, while y gives x > 0.
  double a = 5 + std::sqrt(20.0);
  rejection_cell cell = make_rejection_cell(a);
  for (int i = 0; i < 4000; i++) {
    cell = make_rejection_cell(a);
    if (cell.s * 2 >= cell.am * (1 + 0x1p-48) && cell.s * y + cell.am > 0) break;
    a = std::nextafter(a, cell.s * 2 >= cell.am * (1 + 0x1p-48) ? 100.0 : 0.0);
  }
  ASSERT_TRUE(cell.s * 2 >= cell.am * (1 + 0x1p-48) && cell.s * y + cell.am > 0) << a;
  EXPECT_EQ(bounds_over_y(cell, 2.0, 2.0625, true).kind, acceptance_bounds::discarded);
  std::vector<rejection_cell> cells = {cell};
  rejection_tables tables(cells);
  for (double u3 : {0x1p-48, 0.5, 1 - 0x1p-48}) {
    int v = table_verdict(tables, 0, u1, u2, u3);
    EXPECT_TRUE(v == 0 || v == gamadev_verdict(cell, u1, u2, u3)) << v;
  }
  EXPECT_EQ(gamadev_verdict(cell, u1, u2, 0.5), -1);  // it reaches u3
}

// Every bin's range of |yf| holds the quotients the bin function puts in
// it: the first float of the range and the last one below its outer end
// both land in the bin, on both sides.  The tables fill a bin from its
// range, so a range that missed some of its quotients would let the table
// decide attempts it never bounded.
TEST(rejection_table, bin_ranges_hold_their_quotients) {
  using namespace rejection_table_detail;
  int ranged = 0;
  for (int bin = 0; bin < bins; bin++) {
    double inner, outer;
    bool negative;
    if (!rejection_bin_range(bin, &inner, &outer, &negative)) {
      EXPECT_TRUE(bin == nan_bin || bin == disc_bin) << bin;
      continue;
    }
    ranged++;
    float sign = negative ? -1.0f : 1.0f;
    float first = static_cast<float>(inner);
    float last = std::isinf(outer) ? std::numeric_limits<float>::infinity()
                                   : std::nextafter(static_cast<float>(outer), 0.0f);
    ASSERT_EQ(static_cast<double>(first), inner) << bin;
    EXPECT_EQ(rejection_bin_of_float(sign * first), bin) << bin << " inner " << inner;
    EXPECT_EQ(rejection_bin_of_float(sign * last), bin) << bin << " outer " << outer;
  }
  EXPECT_EQ(ranged, 2 * side_bins);
}

// Attempts far out on the positive side (2^6 <= y < 2^20, about one in two
// hundred) fall in bins an octave wide: for shapes up to where the margin
// stops the tables there, the table rejects them on u3 >= 2^-15 without
// the squeezes, and each verdict is gamadev's.
TEST(rejection_table, far_positive_attempts_are_decided_by_the_table) {
  const std::vector<double> shapes = {6.0, 11.0001, 1000.0001};
  std::vector<rejection_cell> cells;
  for (double a : shapes) cells.push_back(make_rejection_cell(a));
  rejection_tables tables(cells);
  std::mt19937_64 rng(23);
  for (size_t i = 0; i < cells.size(); i++) {
    int decided = 0, tried = 0;
    for (int ex = 6; ex < 20; ex++) {
      for (int n = 0; n < 200; n++) {
        // u1 = 1/2 + j 2^-48, so vx = j 2^-47 in [2^-ex-1, 2^-ex); vy in
        // [1/2, 3/4): y in (2^(ex-1) 2/3, 2^(ex+1)).
        uint64_t j = (uint64_t{1} << (46 - ex)) + (rng() >> (18 + ex));
        double u1 = 0.5 + std::ldexp(static_cast<double>(j), -48);
        double u2 = 0.75 + std::ldexp(static_cast<double>(rng() >> 19), -48);
        double vx = (u1 + u1) - 1, vy = (u2 + u2) - 1, y = vy / vx;
        if (vx * vx + vy * vy > 1 || !(y >= 65) || !(y < 0x1p20 * 0.99)) continue;
        for (double u3 : {0x1p-15, uniform48(rng), 1 - 0x1p-48}) {
          tried++;
          int v = table_verdict(tables, static_cast<int>(i), u1, u2, u3);
          if (v != 0) {
            decided++;
            ASSERT_EQ(v, gamadev_verdict(cells[i], u1, u2, u3)) << shapes[i] << " y " << y;
          }
        }
      }
    }
    ASSERT_GT(tried, 3000);
    EXPECT_EQ(decided, tried) << shapes[i];
  }
}
