#include "sites/tuning.h"

#include <gtest/gtest.h>

using namespace drevel;

TEST(tuning, zeros_take_their_defaults_each_on_its_own) {
  double precision = -0.0;
  long long minmc = 0, maxmc = 0;
  EXPECT_EQ(apply_tuning_defaults(3, &precision, &minmc, &maxmc), tuning_status::ok);
  EXPECT_EQ(precision, 0.005);
  EXPECT_EQ(minmc, 1500);
  EXPECT_EQ(maxmc, 30000);

  precision = -1;
  minmc = -5;
  maxmc = 0;
  EXPECT_EQ(apply_tuning_defaults(1, &precision, &minmc, &maxmc), tuning_status::ok);
  EXPECT_EQ(precision, -1);
  EXPECT_EQ(minmc, -5);
  EXPECT_EQ(maxmc, 10000);
}

TEST(tuning, defaults_that_leave_32_bits_are_reported) {
  double precision = 0;
  long long minmc = 0, maxmc = 0;
  // 245350 cells: 500 * c fits, 10000 * c does not.
  EXPECT_EQ(apply_tuning_defaults(245350, &precision, &minmc, &maxmc),
            tuning_status::maxmc_overflow);
  EXPECT_EQ(minmc, 500LL * 245350);
  EXPECT_EQ(maxmc, 0);
  minmc = 0;
  EXPECT_EQ(apply_tuning_defaults(5000000, &precision, &minmc, &maxmc),
            tuning_status::minmc_overflow);
  maxmc = 7;
  minmc = 9;
  EXPECT_EQ(apply_tuning_defaults(5000000, &precision, &minmc, &maxmc), tuning_status::ok);
}
