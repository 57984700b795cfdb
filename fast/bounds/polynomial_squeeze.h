// The classic squeeze of the rejection-branch gamma deviate's acceptance
// test, with no logarithm and no exponential: polynomial bounds on both
// sides of gamadev's e for attempts near the mode.  It runs before the
// log-domain squeeze of squeeze.h, which decides what it leaves open.
// Derivation of every bound: docs/fast-engine.md, "The polynomial squeeze".
#ifndef DREVEL_FAST_BOUNDS_POLYNOMIAL_SQUEEZE_H
#define DREVEL_FAST_BOUNDS_POLYNOMIAL_SQUEEZE_H

#include <cmath>

#include "fast/bounds/rejection_cell.h"

namespace drevel {

// +1: u3 <= e (accept); -1: u3 > e (reject); 0: undecided.
// gamadev's e = w exp(am ln(x/am) - s y), w = y*y + 1.  With z = (x - am)/am
// and g(z) = ln(1+z) - z, the exponent is am g(z) up to rounding, and
// e <= w exp(-a_lo), e >= w exp(-a_hi) where
//   -1/2 < z < 1:  a_lo = am (z^2/2 - z^3/3), a_hi = a_lo + am z^4/4 (z >= 0)
//                  or a_lo + am z^4/2 (z < 0), from g(z) <= -z^2/2 + z^3/3 and
//                  g(z) >= -z^2/2 + z^3/3 - z^4/4 (z >= 0), - z^4/2 (z < 0);
//   z >= 1:        a_lo = am (z - (2 ln 2 - 1)) / 2, from ln(1+z) <= ln 2 + (z-1)/2;
//   z <= -1/2:     a_lo = am (-z - (1 - ln 2)), from ln(1+z) <= -ln 2 + 2 (z + 1/2)
// (the logarithm lies below its tangents at 1 and 1/2).  The exponentials
// are bounded by Taylor polynomials at a quarter of a >= 0:
// e^-a >= E5(a/4)^4, E5(b) = 1 - b + b^2/2 - b^3/6 + b^4/24 - b^5/120 (for
// b <= 1, where E5 > 0), and e^-a <= 1 / P4(a/4)^4,
// P4(b) = 1 + b + b^2/2 + b^3/6 + b^4/24.
// The margins 2^-38 and 2^-20 cover every rounding and the library's error.
// Used where am <= 2^20 (cell.polynomial), y is finite and u3 >= 2^-48.
// Inlined into the attempt loop: a call would spill the attempt's values.
__attribute__((always_inline)) inline int polynomial_acceptance(const rejection_cell& cell,
                                                                double x, double y, double u3) {
  if (!cell.polynomial || !std::isfinite(y) || !(u3 >= 0x1p-48)) return 0;
  const double am = cell.am;
  double d = x - am;  // exact in the middle range (Sterbenz)
  bool middle = d > -0.5 * am && d < am;
  double z = d * cell.inv_am;
  double z2 = z * z;
  double a_mid = am * (z2 * (0.5 - z * (1.0 / 3)));
  double a_tail = d >= am ? (d - am * 0.3863) * 0.5 : -(d + am * 0.30686);
  double a_lo = middle ? a_mid : a_tail * (1 - 0x1p-38);
  double w = y * y + 1;
  // e^a = (e^(a/4))^4 >= P4(a/4)^4: the quarter keeps the Taylor bound tight.
  double b = a_lo * 0.25, b2 = b * b;  // Estrin's scheme: short dependency chains
  double p4 = ((1 + b) + b2 * (0.5 + b * (1.0 / 6))) + (b2 * b2) * (1.0 / 24);
  double p4_2 = p4 * p4;
  if (u3 * (p4_2 * p4_2) > w * (1 + 0x1p-20)) return -1;
  // The remainder of g's series beyond z^3 is below z^4/4 for z >= 0 and
  // z^4/2 for -1/2 < z < 0.
  double a_hi = a_mid + am * ((z >= 0 ? 0.25 : 0.5) * (z2 * z2));
  double h = a_hi * 0.25, h2 = h * h;  // e^-a = (e^(-a/4))^4 >= E5(a/4)^4
  double e5 = ((1 - h) + h2 * (0.5 - h * (1.0 / 6))) + (h2 * h2) * (1.0 / 24 - h * (1.0 / 120));
  double e5_2 = e5 * e5;
  if (middle && a_hi <= 4 && u3 <= (w * (e5_2 * e5_2 - 0x1p-38)) * (1 - 0x1p-20)) return 1;
  return 0;
}

}  // namespace drevel

#endif
