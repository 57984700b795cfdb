#include "evidence/kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

using namespace drevel;

static std::string e(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%e", v);
  return buf;
}

TEST(kernel, mode_of_counts_10_20_30) {
  double alpha[] = {3, 11.0001, 21.0001, 31.0001};
  double m[4] = {3, 0, 0, 0}, L;
  Find_Argmax(alpha, m, &L, 3);
  EXPECT_EQ(e(m[1]), "1.666675e-01");
  EXPECT_EQ(e(m[2]), "3.333333e-01");
  EXPECT_EQ(e(m[3]), "4.999992e-01");
  EXPECT_EQ(e(L), "-6.068461e+01");
  EXPECT_EQ(m[3], 1 - (m[1] + m[2]));  // the last cell is the complement
  EXPECT_EQ(m[0], 3);                  // the stamp is left alone
}

TEST(kernel, mode_of_one_cell_and_of_zero_counts) {
  double alpha1[] = {1, 7.0001}, m1[2], L1;
  Find_Argmax(alpha1, m1, &L1, 1);
  EXPECT_EQ(m1[1], 1);
  EXPECT_EQ(L1, 0);

  double alpha[7] = {6}, m[7], L;
  for (int t = 1; t <= 6; t++) alpha[t] = 0 + 1.0001;
  Find_Argmax(alpha, m, &L, 6);
  for (int t = 1; t <= 6; t++) EXPECT_NEAR(m[t], 1.0 / 6, 1e-15);
  EXPECT_EQ(e(L), "-1.075056e-03");
}

TEST(kernel, log_kernel_sums_in_cell_order) {
  double alpha[] = {3, 2.5, 4.0, 1.5}, theta[] = {3, 0.2, 0.3, 0.5};
  double expected = 0;
  for (int t = 1; t <= 3; t++) expected = (alpha[t] - 1) * std::log(theta[t]) + expected;
  EXPECT_EQ(LogDNFunc(alpha, theta, 3), expected);
  EXPECT_EQ(LogDNFunc(alpha, theta, 0), 0);
  double ones[] = {3, 1, 1, 1};
  EXPECT_EQ(LogDNFunc(alpha, ones, 3), 0);
  double with_zero[] = {3, 0, 0.5, 0.5};
  EXPECT_EQ(LogDNFunc(alpha, with_zero, 3), -INFINITY);
}

TEST(kernel, kernel_is_the_product_of_powers) {
  double alpha[] = {2, 3.0, 2.0}, theta[] = {2, 0.5, 0.25};
  EXPECT_DOUBLE_EQ(DNFunc(alpha, theta, 2), 0.25 * 0.25);
  double ones[] = {2, 1, 1};
  EXPECT_EQ(DNFunc(alpha, ones, 2), 1);
}

TEST(kernel, argmax_needs_a_vector) {
  double alpha[] = {1, 2.0};
  double L;
  EXPECT_EXIT(Find_Argmax(alpha, nullptr, &L, 1), testing::ExitedWithCode(1),
              "^ERROR: argmax vector must be allocated\n$");
}
