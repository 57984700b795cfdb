// The colour scale of the evidence: viridis (dark purple through blue and
// green), without its last, yellow ninth, which is hard to see on white.
// Evidence 0, the strongest departure from equilibrium, is the darkest.
// Points are drawn in one of colour_levels shades, which the eye cannot
// tell from the continuous scale of the legend.
#ifndef DREVEL_PLOT_EVIDENCE_COLOURS_H
#define DREVEL_PLOT_EVIDENCE_COLOURS_H

#include <cstddef>

namespace drevel {

struct rgb {
  double r = 0, g = 0, b = 0;  // 0 to 1
};

// The scale's anchors, evenly spaced from evidence 0 to 1 and interpolated
// linearly in between.
constexpr size_t evidence_colour_stops = 9;
extern const rgb evidence_colour_stop[evidence_colour_stops];

// The colour of an evidence value; values outside [0, 1] take the nearer end.
rgb evidence_colour(double evidence);

constexpr int colour_levels = 256;

// The shade an evidence value is drawn in, 0 to colour_levels - 1, and its
// colour: evidence_colour(level / (colour_levels - 1)).
int colour_level(double evidence);
rgb level_colour(int level);

// The colour of the equilibrium parabola, which no shade of the scale comes
// near.
extern const rgb equilibrium_curve_colour;

}  // namespace drevel

#endif
