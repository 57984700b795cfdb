// The squeezed acceptance test of the rejection-branch gamma deviate.
// gamadev accepts an attempt (x, y, u3) when u3 <= e with
//   e = (y*y + 1) * exp(am*log(x/am) - s*y).
// The squeeze compares logarithms instead, ln u3 against ln(y*y + 1) + t
// with t = am ln(x/am) - s y, so it needs no exponential; its three
// logarithms are independent (short dependency chains) and come from a
// table (no division).  The comparison is widened by a bound that covers
// these logarithms' errors and the library's (docs/fast-engine.md, "The
// log-domain squeeze"); an attempt inside the band is left undecided, for
// the caller to decide with the library's log and exp (literal_acceptance).
#ifndef DREVEL_FAST_BOUNDS_SQUEEZE_H
#define DREVEL_FAST_BOUNDS_SQUEEZE_H

#include <cfloat>
#include <cmath>

#include "fast/bounds/rejection_cell.h"
#include "fast/bounds/table_log.h"

namespace drevel {

// +1: u3 <= e (accept); -1: u3 > e (reject); 0: undecided.
// With q = x inv_am (its log within 3.01u of gamadev's log(x/am)),
// a1 = am ln q, t = a1 - s y and D = ln u3 - (ln(y*y + 1) + t), gamadev
// accepts exactly when ln u3 <= ln e, and ln e lies within
//   M = 2^-39 (|a1| + |t| + |ln w| + |ln u3| + am + 4)
// of ln u3 - D while e is normal; so D > M rejects and D < -M accepts.
// Where gamadev's exp underflows, e < 2^-900 and D is far above M: reject,
// which is right for every u3 >= 2^-48, the smallest non-zero uniform.
// u3 below that (only 0 is a uniform there) is left undecided.
inline int squeeze_acceptance(const rejection_cell& cell, double x, double y, double u3) {
  if (!cell.squeeze || !std::isfinite(y) || !(u3 >= 0x1p-48)) return 0;
  double q = x * cell.inv_am;
  if (!(q >= DBL_MIN && q <= DBL_MAX)) return 0;
  double w = y * y + 1;
  double lq = table_log(q), lw = table_log(w), lu = table_log(u3);  // lw >= 0 up to 2^-40
  double a1 = cell.am * lq;
  double t = a1 - cell.s * y;
  double D = lu - (lw + t);
  double M =
      0x1p-39 * ((((std::fabs(a1) + std::fabs(t)) + (std::fabs(lw) + std::fabs(lu))) + cell.am) + 4);
  if (!(M <= 1)) return 0;  // am beyond ~5e11: the band is too wide to help
  if (D > M) return -1;
  if (D < -M) return 1;
  return 0;
}

}  // namespace drevel

#endif
