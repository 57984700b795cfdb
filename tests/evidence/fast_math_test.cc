#include "evidence/fast_math.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "evidence/squeeze.h"

using namespace drevel;

namespace {

// Relative error against the long double library function, which is
// 11 bits more precise than the double result.
double rel_error(double approx, long double exact) {
  return static_cast<double>(std::fabs((static_cast<long double>(approx) - exact) / exact));
}

// Samples over the whole normal range, near 1 (where ln x is small and the
// relative error is hardest to keep) and at the edges of the reduction
// interval [sqrt(1/2), sqrt(2)).
double sample_log_input(std::mt19937_64& rng, int i) {
  double mant = 1.0 + static_cast<double>(rng() >> 12) * 0x1p-52;
  switch (i % 4) {
    case 0: return std::ldexp(mant, static_cast<int>(rng() % 2040) - 1020);
    case 1: return 1.0 + (mant - 1.5) * std::ldexp(1.0, -static_cast<int>(rng() % 52));
    case 2: return std::nextafter(std::sqrt(0.5), 0.0) * (1 + (mant - 1) * 1e-9);
    default: return std::ldexp(std::sqrt(2.0) * (1 - (mant - 1) * 1e-9), static_cast<int>(rng() % 20) - 10);
  }
}

}  // namespace

TEST(fast_math, logarithms_are_within_their_bounds_everywhere) {
  std::mt19937_64 rng(1);
  double worst = 0, worst_table = 0, worst_short = 0;
  for (int i = 0; i < 400000; i++) {
    double x = sample_log_input(rng, i);
    long double exact = std::log(static_cast<long double>(x));
    // table_log's bound is absolute plus relative: 2^-40 (1 + |ln x|).
    double table_err = static_cast<double>(std::fabs(table_log(x) - exact) / (1 + std::fabs(exact)));
    worst_table = std::max(worst_table, table_err);
    if (exact == 0) {
      EXPECT_EQ(fast_log(x), 0.0);
      continue;
    }
    worst = std::max(worst, rel_error(fast_log(x), exact));
    worst_short = std::max(worst_short, rel_error(fast_log_short(x), exact));
  }
  EXPECT_LT(worst, 0x1p-46);  // the bound the kernel's derivation uses
  EXPECT_LT(worst_short, fast_short_eps);
  EXPECT_GT(worst_short, 0x1p-40);  // it is the shorter series that is measured
  EXPECT_LT(worst_table, 0x1p-42);
  EXPECT_EQ(fast_log(DBL_MIN), std::log(DBL_MIN));
  EXPECT_EQ(fast_log(1.0), 0.0);
  EXPECT_LT(std::fabs(table_log(1.0)), 0x1p-50);
}
