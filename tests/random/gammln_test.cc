#include "random/gammln.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace drevel;

TEST(gammln, figures_of_the_series) {
  EXPECT_NEAR(gammln(1), 0, 1e-15);
  EXPECT_NEAR(gammln(2), 0, 1e-15);
  EXPECT_NEAR(gammln(10), 12.801827480082, 5e-13);
  EXPECT_NEAR(gammln(100), 359.13420536968, 5e-12);
  // The series, not an exact log-gamma: ln 99! lies 1e-10 lower.
  EXPECT_GT(gammln(100) - std::lgamma(100.0), 5e-11);
}

TEST(gammln, follows_log_gamma_within_the_series_error) {
  for (double x = 0.25; x < 2000; x *= 1.07) {
    double exact = std::lgamma(x);
    ASSERT_NEAR(gammln(x), exact, 2e-10 * std::fmax(1.0, std::fabs(exact))) << "x " << x;
  }
}
