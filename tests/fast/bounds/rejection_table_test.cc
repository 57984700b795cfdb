#include "fast/bounds/rejection_table.h"

#include <gtest/gtest.h>

#include <cmath>
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
