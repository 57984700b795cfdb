// The squeezed acceptance test of the rejection-branch gamma deviate.
// gamadev accepts an attempt (x, y, u3) when u3 <= e with
//   e = (y*y + 1) * exp(am*log(x/am) - s*y).
// The squeeze compares logarithms instead, ln u3 against ln(y*y + 1) + t
// with t = am ln(x/am) - s y, so it needs no exponential; its three
// logarithms are independent (short dependency chains) and come from a
// table (no division).  The comparison is widened by a bound that covers
// these logarithms' errors and the library's (docs/fast-engine.md,
// "Rejection test"); an attempt inside the band is left undecided, for the
// caller to decide with the library's log and exp.
#ifndef DREVEL_EVIDENCE_SQUEEZE_H
#define DREVEL_EVIDENCE_SQUEEZE_H

#include <cfloat>
#include <cmath>

#include "evidence/fast_math.h"

namespace drevel {

namespace squeeze_detail {

constexpr int table_bits = 8;
constexpr int table_size = 1 << table_bits;

// For each of 256 subintervals of [sqrt(1/2), sqrt(2)) (split by the top
// bits of the reduced mantissa): the reciprocal of its midpoint and minus
// the logarithm of that reciprocal, from the long double library.
struct log_table {
  double inv_c[table_size];
  double log_c[table_size];
  log_table();
};
extern const log_table table;

}  // namespace squeeze_detail

// ln x for positive normal x, within 2^-40 (1 + |ln x|).  Method: x = 2^k m,
// m in [sqrt(1/2), sqrt(2)); with c the midpoint of m's subinterval,
// r = m (1/c) - 1 (|r| < 2^-8, the subtraction exact) and
// ln x = (k ln2_hi + ln c) + (r - r^2/2 + r^3/3 - r^4/4 + k ln2_lo).
inline double table_log(double x) {
  using namespace fast_math_detail;
  using namespace squeeze_detail;
  uint64_t ix = bits_of(x);
  uint64_t reduced = ix - sqrt_half_bits + (1ULL << 62);
  uint64_t kb = reduced >> 52;  // k + 1024
  size_t i = static_cast<size_t>((reduced >> (52 - table_bits)) & (table_size - 1));
  double m = double_of(ix - (kb << 52) + bias_1024);
  double k = double_of(kb | 0x4330000000000000ULL) - (0x1p52 + 1024.0);
  double r = m * table.inv_c[i] - 1.0;
  double r2 = r * r;
  double p = (r + r2 * (-0.5 + r * (1.0 / 3))) + (r2 * r2) * -0.25;
  return (k * ln2_hi + table.log_c[i]) + (p + k * ln2_lo);
}

// The constants of a rejection-branch cell as gamadev computes them, and
// the reciprocal of am that the squeeze multiplies by.
struct rejection_cell {
  double am;      // a - 1
  double s;       // sqrt((am + am) + 1)
  double inv_am;  // 1 / am, rounded
  bool squeeze;   // false when the constants leave the range of the bound
  bool polynomial;  // am <= 2^20: the range of polynomial_acceptance's bound
};

inline rejection_cell make_rejection_cell(double a) {
  rejection_cell cell;
  cell.am = a - 1;
  cell.s = std::sqrt((cell.am + cell.am) + 1);
  cell.inv_am = 1 / cell.am;
  cell.squeeze = std::isfinite(cell.s) && cell.am < 0x1p900;
  cell.polynomial = cell.am <= 0x1p20;
  return cell;
}

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

// gamadev's own test, with the library's log and exp.
inline int literal_acceptance(const rejection_cell& cell, double x, double y, double u3) {
  double e = (y * y + 1) * std::exp(cell.am * std::log(x / cell.am) - cell.s * y);
  return u3 > e ? -1 : 1;
}

}  // namespace drevel

#endif
