#include "fast/bounds/table_log.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace drevel;

// The whole normal range, near 1 and at the edges of the reduction interval
// and of the table's subintervals.
TEST(table_log, is_within_its_absolute_plus_relative_bound) {
  std::mt19937_64 rng(1);
  double worst = 0;
  for (int i = 0; i < 400000; i++) {
    double mant = 1.0 + static_cast<double>(rng() >> 12) * 0x1p-52, x;
    switch (i % 3) {
      case 0: x = std::ldexp(mant, static_cast<int>(rng() % 2040) - 1020); break;
      case 1: x = 1.0 + (mant - 1.5) * std::ldexp(1.0, -static_cast<int>(rng() % 52)); break;
      default: x = std::sqrt(0.5) * std::pow(2.0, static_cast<double>(rng() % 257) / 256) *
                   (1 + (mant - 1.5) * 1e-12);
    }
    long double exact = std::log(static_cast<long double>(x));
    double err = static_cast<double>(std::fabs(table_log(x) - exact) / (1 + std::fabs(exact)));
    worst = std::max(worst, err);
  }
  EXPECT_LT(worst, 0x1p-42);  // used as 2^-40 by the squeeze
  EXPECT_LT(std::fabs(table_log(1.0)), 0x1p-50);
}
