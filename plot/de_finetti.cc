#include "plot/de_finetti.h"

#include <cmath>

namespace drevel {

namespace {
const double half_sqrt3 = std::sqrt(3.0) / 2;
}

bool frequencies_of_counts(double n_hom_first, double n_het, double n_hom_second,
                           genotype_frequencies* out) {
  double n = n_hom_first + n_het + n_hom_second;
  if (!(n > 0)) return false;
  out->hom_first = n_hom_first / n;
  out->het = n_het / n;
  out->hom_second = n_hom_second / n;
  return true;
}

ternary_point ternary_of(const genotype_frequencies& x) {
  return {x.hom_second + x.het / 2, half_sqrt3 * x.het};
}

genotype_frequencies equilibrium_frequencies(double q) {
  double p = 1 - q;
  return {p * p, 2 * p * q, q * q};
}

double equilibrium_height(double q) { return 2 * half_sqrt3 * q * (1 - q); }

page_point on_page(const triangle_frame& frame, const ternary_point& p) {
  return {frame.left + frame.side * p.u, frame.base - frame.side * p.v};
}

}  // namespace drevel
