#include <gtest/gtest.h>

#include <cmath>

#include "random/randomic.h"

using namespace drevel;

static rand48_state advanced(int steps) {
  rand48_state g;
  for (int i = 0; i < steps; i++) drand48(g);
  return g;
}

TEST(gamadev, product_branch_takes_the_integer_part_of_the_shape) {
  rand48_state uniforms;
  double u1 = drand48(uniforms), u2 = drand48(uniforms);

  rand48_state g;
  EXPECT_EQ(gamadev(1.0, g), -std::log(u1));
  EXPECT_EQ(g, advanced(1));

  rand48_state g2;
  EXPECT_EQ(gamadev(2.5, g2), -std::log(u1 * u2));
  EXPECT_EQ(g2, advanced(2));

  for (int i = 0; i < 200; i++) {  // 5.9999 draws exactly like 5
    rand48_state a = advanced(i), b = advanced(i);
    ASSERT_EQ(gamadev(5.9999, a), gamadev(5.0, b));
    ASSERT_EQ(a, b);
    ASSERT_EQ(a, advanced(i + 5));
  }
}

// Walks the rejection branch by hand on a copy of the stream: each attempt
// takes u1 and u2, and u3 only when the point is inside the disc and x > 0.
static double rejection_by_hand(double a, rand48_state& g, int* uniforms) {
  for (;;) {
    double vx = 2 * drand48(g) - 1, vy = 2 * drand48(g) - 1;
    *uniforms += 2;
    if (vx * vx + vy * vy > 1) continue;
    double y = vy / vx, am = a - 1, s = std::sqrt(2 * am + 1), x = s * y + am;
    if (x <= 0) continue;
    double e = (y * y + 1) * std::exp(am * std::log(x / am) - s * y);
    *uniforms += 1;
    if (drand48(g) > e) continue;
    return x;
  }
}

TEST(gamadev, rejection_branch_takes_uniforms_in_attempt_order) {
  for (double a : {6.0, 6.0001, 7.5, 31.0001, 1000.0}) {
    rand48_state g, hand;
    int uniforms = 0;
    for (int i = 0; i < 500; i++) {
      ASSERT_EQ(gamadev(a, g), rejection_by_hand(a, hand, &uniforms)) << "shape " << a;
      ASSERT_EQ(g, hand);
    }
    EXPECT_EQ(g, advanced(uniforms));
    EXPECT_GT(uniforms, 3 * 500) << "some attempts must be rejected";
  }
}

TEST(gamadev, deviates_have_the_gamma_mean_and_variance) {
  for (double a : {1.0, 3.0, 6.0, 12.5, 80.0}) {
    rand48_state g;
    const int n = 40000;
    double sum = 0, sum2 = 0;
    for (int i = 0; i < n; i++) {
      double x = gamadev(a, g);
      ASSERT_GT(x, 0);
      sum += x;
      sum2 += x * x;
    }
    double mean = sum / n, var = sum2 / n - mean * mean;
    EXPECT_NEAR(mean, a, 5 * std::sqrt(a / n)) << "shape " << a;
    EXPECT_NEAR(var / a, 1.0, 0.06) << "shape " << a;
  }
}

TEST(gamadev, shape_below_one_is_fatal) {
  rand48_state g;
  EXPECT_EXIT(gamadev(0.9999, g), testing::ExitedWithCode(1), "^\nErro na rotina gamdev\n$");
  EXPECT_EXIT(gamadev(std::nan(""), g), testing::ExitedWithCode(1), "Erro na rotina gamdev");
}
