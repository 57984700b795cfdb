// The classic squeeze of the rejection-branch gamma deviate's acceptance
// test, with no logarithm and no exponential: polynomial bounds on both
// sides of gamadev's e for attempts near the mode.  It runs before the
// log-domain squeeze of squeeze.h, which decides what it leaves open.
// Derivation of every bound: docs/fast-engine.md, "The polynomial squeeze".
#ifndef DREVEL_EVIDENCE_POLYNOMIAL_SQUEEZE_H
#define DREVEL_EVIDENCE_POLYNOMIAL_SQUEEZE_H

#include "evidence/squeeze.h"

namespace drevel {

// +1: u3 <= e (accept); -1: u3 > e (reject); 0: undecided.
// gamadev's e = w exp(am ln(x/am) - s y), w = y*y + 1.  With z = (x - am)/am
// and g(z) = ln(1+z) - z, the exponent is am g(z) up to rounding, and
// e <= w exp(-a_lo), e >= w exp(-a_hi) where
//   -1/2 < z < 1:  a_lo = am (z^2/2 - z^3/3), a_hi = a_lo + am z^4/2, from
//                  -z^2/2 + z^3/3 - z^4/2 <= g(z) <= -z^2/2 + z^3/3;
//   z >= 1:        a_lo = am (z - (2 ln 2 - 1)) / 2, from ln(1+z) <= ln 2 + (z-1)/2;
//   z <= -1/2:     a_lo = am (-z - (1 - ln 2)), from ln(1+z) <= -ln 2 + 2 (z + 1/2)
// (the logarithm lies below its tangents at 1 and 1/2).  The exponentials
// are bounded by Taylor polynomials, e^-a >= 1 - a + a^2/2 - a^3/6 + a^4/24
// - a^5/120 and e^-a <= 1 / (1 + a + a^2/2 + a^3/6 + a^4/24) for a >= 0.
// The margins 2^-38 and 2^-20 cover every rounding and the library's error.
// Used where am <= 2^20 (cell.polynomial), y is finite and u3 >= 2^-48.
inline int polynomial_acceptance(const rejection_cell& cell, double x, double y, double u3) {
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
  double l2 = a_lo * a_lo;  // Estrin's scheme: short dependency chains
  double e_upper_inv = ((1 + a_lo) + l2 * (0.5 + a_lo * (1.0 / 6))) + (l2 * l2) * (1.0 / 24);
  if (u3 * e_upper_inv > w * (1 + 0x1p-20)) return -1;
  double a_hi = a_mid + am * (0.5 * (z2 * z2));
  double h2 = a_hi * a_hi;
  double e_lower = ((1 - a_hi) + h2 * (0.5 - a_hi * (1.0 / 6))) +
                   (h2 * h2) * (1.0 / 24 - a_hi * (1.0 / 120));
  if (middle && a_hi <= 4 && u3 <= (w * (e_lower - 0x1p-38)) * (1 - 0x1p-20)) return 1;
  return 0;
}

}  // namespace drevel

#endif
