#include "plot/evidence_colours.h"

#include <cmath>

namespace drevel {

namespace {
constexpr rgb hex(unsigned v) {
  return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0};
}
}  // namespace

const rgb evidence_colour_stop[evidence_colour_stops] = {
    hex(0x440154), hex(0x482878), hex(0x3e4a89), hex(0x31688e), hex(0x26828e),
    hex(0x1f9e89), hex(0x35b779), hex(0x6dcd59), hex(0xb4de2c)};

const rgb equilibrium_curve_colour = hex(0xe0202a);

rgb evidence_colour(double evidence) {
  if (!(evidence > 0)) return evidence_colour_stop[0];
  if (evidence >= 1) return evidence_colour_stop[evidence_colour_stops - 1];
  double at = evidence * (evidence_colour_stops - 1);
  size_t i = static_cast<size_t>(at);
  double t = at - static_cast<double>(i);
  const rgb& a = evidence_colour_stop[i];
  const rgb& b = evidence_colour_stop[i + 1];
  return {a.r + t * (b.r - a.r), a.g + t * (b.g - a.g), a.b + t * (b.b - a.b)};
}

int colour_level(double evidence) {
  if (!(evidence > 0)) return 0;
  if (evidence >= 1) return colour_levels - 1;
  return static_cast<int>(std::lround(evidence * (colour_levels - 1)));
}

rgb level_colour(int level) {
  return evidence_colour(static_cast<double>(level) / (colour_levels - 1));
}

}  // namespace drevel
