// The evidence colour scale: its ends, its clamping, the shades points are
// drawn in, and the parabola's colour standing apart from every shade.
#include "plot/evidence_colours.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace drevel;

double distance(const rgb& a, const rgb& b) {
  return std::max({std::fabs(a.r - b.r), std::fabs(a.g - b.g), std::fabs(a.b - b.b)});
}

TEST(evidence_colours, ends_anchors_and_clamping) {
  // viridis: #440154 at 0; its ninth step #b4de2c at 1.
  EXPECT_LT(distance(evidence_colour(0), {0x44 / 255.0, 0x01 / 255.0, 0x54 / 255.0}), 1e-12);
  EXPECT_LT(distance(evidence_colour(1), {0xb4 / 255.0, 0xde / 255.0, 0x2c / 255.0}), 1e-12);
  EXPECT_LT(distance(evidence_colour(-3), evidence_colour(0)), 1e-15);
  EXPECT_LT(distance(evidence_colour(7), evidence_colour(1)), 1e-15);
  EXPECT_LT(distance(evidence_colour(std::nan("")), evidence_colour(0)), 1e-15);
  for (size_t s = 0; s < evidence_colour_stops; s++)
    EXPECT_LT(distance(evidence_colour(double(s) / (evidence_colour_stops - 1)),
                       evidence_colour_stop[s]),
              1e-12);
  // Halfway between two anchors is their mean.
  rgb mid = evidence_colour(1.5 / (evidence_colour_stops - 1));
  const rgb &a = evidence_colour_stop[1], &b = evidence_colour_stop[2];
  EXPECT_LT(distance(mid, {(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2}), 1e-12);
}

TEST(evidence_colours, shades_follow_the_scale) {
  EXPECT_EQ(colour_level(0), 0);
  EXPECT_EQ(colour_level(1e-300), 0);
  EXPECT_EQ(colour_level(1), colour_levels - 1);
  EXPECT_EQ(colour_level(0.5), 128);  // 127.5 rounds up
  // A shade never differs from the exact colour by more than half a step of
  // the steepest segment of the scale.
  for (int i = 0; i <= 1000; i++) {
    double e = i / 1000.0;
    EXPECT_LT(distance(level_colour(colour_level(e)), evidence_colour(e)), 0.02) << e;
  }
  // Lower evidence, darker shade: the scale runs from dark to light.
  auto lightness = [](const rgb& c) { return 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b; };
  for (int l = 1; l < colour_levels; l++)
    EXPECT_GT(lightness(level_colour(l)), lightness(level_colour(l - 1))) << l;
}

TEST(evidence_colours, curve_colour_is_far_from_every_shade) {
  for (int l = 0; l < colour_levels; l++)
    EXPECT_GT(distance(level_colour(l), equilibrium_curve_colour), 0.5) << l;
}

}  // namespace
