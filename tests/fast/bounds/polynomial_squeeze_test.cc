#include "fast/bounds/polynomial_squeeze.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace drevel;

namespace {

double literal_e(const rejection_cell& cell, double x, double y) {
  return (y * y + 1) * std::exp(cell.am * std::log(x / cell.am) - cell.s * y);
}

// Which of the bound's three ranges of z = (x - am)/am an attempt falls in.
int range_of(const rejection_cell& cell, double x) {
  double d = x - cell.am;
  return d <= -0.5 * cell.am ? 0 : d < cell.am ? 1 : 2;
}

}  // namespace

// gamadev's attempts for shapes across the bound's range, with u3 random,
// exactly at e and one double either side: a decision, when taken, is
// gamadev's.  Every range must both decide (rejections in the tails,
// rejections and acceptances in the middle) and leave the ties open.
TEST(polynomial_squeeze, never_contradicts_the_library_test) {
  std::mt19937_64 rng(11);
  std::uniform_real_distribution<double> unit(0, 1);
  const double shapes[] = {6.0, 6.0001, 7.5, 12.0, 30.0001, 1000.0001, 0x1p20 + 1, 0x1p20 + 2};
  long long accepts[3] = {0, 0, 0}, rejects[3] = {0, 0, 0}, random_tests = 0, decided = 0;
  for (double a : shapes) {
    rejection_cell cell = make_rejection_cell(a);
    for (int i = 0; i < 40000; i++) {
      double vx = 2 * (std::floor(unit(rng) * 0x1p48) * 0x1p-48) - 1;
      double vy = 2 * (std::floor(unit(rng) * 0x1p48) * 0x1p-48) - 1;
      if (vx * vx + vy * vy > 1) continue;
      double y = vy / vx, x = cell.s * y + cell.am;
      if (x <= 0) continue;
      double e = literal_e(cell, x, y);
      double u3s[] = {std::floor(unit(rng) * 0x1p48) * 0x1p-48, e, std::nextafter(e, 0.0),
                      std::nextafter(e, 2.0)};
      for (int k = 0; k < 4; k++) {
        double u3 = u3s[k];
        int v = polynomial_acceptance(cell, x, y, u3);
        if (k == 0 && a < 1e4) {
          random_tests++;
          decided += v != 0;
        }
        if (v == 0) continue;
        ASSERT_EQ(v, literal_acceptance(cell, x, y, u3)) << a << " " << x << " " << u3;
        (v > 0 ? accepts : rejects)[range_of(cell, x)]++;
        if (cell.am > 0x1p20) ADD_FAILURE() << "decided beyond its range of shapes";
      }
    }
  }
  EXPECT_GT(rejects[0], 0);
  EXPECT_GT(rejects[2], 0);
  EXPECT_GT(rejects[1], 0);
  EXPECT_GT(accepts[1], 0);
  EXPECT_EQ(accepts[0] + accepts[2], 0);  // the tails only reject
  EXPECT_GT(decided, random_tests * 8 / 10);  // what makes it pay
}

// The edges the bound excludes: u3 = 0, an infinite y, the ends of the
// middle range (d = -am/2 and d = am belong to the tails).
TEST(polynomial_squeeze, edges_are_left_open_or_decided_right) {
  rejection_cell cell = make_rejection_cell(20.0);
  EXPECT_EQ(polynomial_acceptance(cell, cell.am, 0.0, 0.0), 0);
  EXPECT_EQ(polynomial_acceptance(cell, INFINITY, INFINITY, 0.5), 0);
  for (double edge : {0.5 * cell.am, 2 * cell.am}) {
    double y0 = (edge - cell.am) / cell.s;
    for (int step = -3; step <= 3; step++) {
      double y = y0;
      for (int j = 0; j < std::abs(step); j++) y = std::nextafter(y, step < 0 ? -10.0 : 10.0);
      double x = cell.s * y + cell.am;  // as gamadev forms it
      for (double u3 : {0x1p-48, 1e-9, 1e-3, 0.1, 0.9}) {
        int v = polynomial_acceptance(cell, x, y, u3);
        if (v != 0) {
          EXPECT_EQ(v, literal_acceptance(cell, x, y, u3)) << x << " " << u3;
        }
      }
    }
  }
  // Near the mode with a small u3 the attempt is accepted without a logarithm.
  double y = 0.1 / cell.s;
  EXPECT_EQ(polynomial_acceptance(cell, cell.s * y + cell.am, y, 0.25), 1);
}
