// The de Finetti geometry against the triangle it describes: each frequency
// is the point's distance from the opposite side as a share of the height,
// and the equilibrium frequencies lie on the parabola, which is the
// quadratic Bezier curve of the corners that the picture draws.
#include "plot/de_finetti.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace drevel;

const double height = std::sqrt(3.0) / 2;

// Distance from p to the line through a and b.
double distance_to_line(ternary_point p, ternary_point a, ternary_point b) {
  double dx = b.u - a.u, dy = b.v - a.v;
  return std::fabs(dx * (a.v - p.v) - dy * (a.u - p.u)) / std::hypot(dx, dy);
}

TEST(de_finetti, frequencies_are_distances_from_the_opposite_sides) {
  const ternary_point hom_first{0, 0}, hom_second{1, 0}, het{0.5, height};
  std::mt19937 rng(5);
  for (int i = 0; i < 200; i++) {
    double counts[3] = {double(rng() % 50), double(rng() % 50), double(rng() % 50 + 1)};
    genotype_frequencies x;
    ASSERT_TRUE(frequencies_of_counts(counts[0], counts[1], counts[2], &x));
    EXPECT_NEAR(x.hom_first + x.het + x.hom_second, 1, 1e-15);
    ternary_point p = ternary_of(x);
    EXPECT_NEAR(distance_to_line(p, het, hom_second) / height, x.hom_first, 1e-12);
    EXPECT_NEAR(distance_to_line(p, hom_first, hom_second) / height, x.het, 1e-12);
    EXPECT_NEAR(distance_to_line(p, hom_first, het) / height, x.hom_second, 1e-12);
  }
  genotype_frequencies untouched{0.25, 0.5, 0.25};
  EXPECT_FALSE(frequencies_of_counts(0, 0, 0, &untouched));
  EXPECT_EQ(untouched.het, 0.5);
}

TEST(de_finetti, corners_and_page_mapping) {
  ternary_point aa = ternary_of({1, 0, 0}), het = ternary_of({0, 1, 0}), bb = ternary_of({0, 0, 1});
  EXPECT_DOUBLE_EQ(aa.u, 0);
  EXPECT_DOUBLE_EQ(aa.v, 0);
  EXPECT_DOUBLE_EQ(het.u, 0.5);
  EXPECT_DOUBLE_EQ(het.v, height);
  EXPECT_DOUBLE_EQ(bb.u, 1);
  EXPECT_DOUBLE_EQ(bb.v, 0);
  // The page's y axis points down: the apex is above the base.
  triangle_frame f{100, 500, 400};
  page_point left = on_page(f, aa), apex = on_page(f, het), right = on_page(f, bb);
  EXPECT_DOUBLE_EQ(left.x, 100);
  EXPECT_DOUBLE_EQ(left.y, 500);
  EXPECT_DOUBLE_EQ(right.x, 500);
  EXPECT_DOUBLE_EQ(right.y, 500);
  EXPECT_DOUBLE_EQ(apex.x, 300);
  EXPECT_NEAR(apex.y, 500 - 400 * height, 1e-12);
}

TEST(de_finetti, equilibrium_lies_on_the_parabola_and_the_corners_bezier) {
  for (double q = 0; q <= 1.0000001; q += 0.05) {
    genotype_frequencies x = equilibrium_frequencies(q);
    EXPECT_NEAR(x.hom_first + x.het + x.hom_second, 1, 1e-15);
    EXPECT_NEAR(x.het, 2 * std::sqrt(x.hom_first * x.hom_second), 1e-12);
    ternary_point p = ternary_of(x);
    EXPECT_NEAR(p.u, q, 1e-15);
    EXPECT_NEAR(p.v, equilibrium_height(q), 1e-15);
    // B(t) = (1-t)^2 AA + 2t(1-t) Aa + t^2 aa at t = q.
    double t = q;
    EXPECT_NEAR(2 * t * (1 - t) * 0.5 + t * t, p.u, 1e-15);
    EXPECT_NEAR(2 * t * (1 - t) * height, p.v, 1e-15);
  }
  EXPECT_NEAR(equilibrium_height(0.5), height / 2, 1e-15);
}

}  // namespace
