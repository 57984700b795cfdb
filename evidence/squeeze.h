// The squeezed acceptance test of the rejection-branch gamma deviate.
// gamadev accepts an attempt (x, y, u3) when u3 <= e with
//   e = (y*y + 1) * exp(am*log(x/am) - s*y).
// Here e is estimated with short polynomials (sq_log, sq_exp, relative error
// below 2^-32, docs/fast-engine.md), the comparison is widened by a bound
// that covers both the estimate's error and the library's, and only an
// attempt whose u3 falls inside the widened band is left undecided, for
// the caller to decide with the library's log and exp.
#ifndef DREVEL_EVIDENCE_SQUEEZE_H
#define DREVEL_EVIDENCE_SQUEEZE_H

#include <cfloat>
#include <cmath>

#include "evidence/fast_math.h"

namespace drevel {

// Relative error bound assumed for sq_log and sq_exp (proven: below 2^-32).
constexpr double squeeze_eps = 0x1p-30;

namespace squeeze_detail {
constexpr double unit_round = 0x1p-53;
}

// ln q for positive normal q: fast_log's reduction with the atanh series cut
// after s^11, p = 1/3 + z/5 + z^2 (1/7 + z/9) + z^4/11 (Estrin's scheme).
inline double sq_log(double q) {
  using namespace fast_math_detail;
  uint64_t iq = bits_of(q);
  uint64_t kb = (iq - sqrt_half_bits + (1ULL << 62)) >> 52;
  double m = double_of(iq - (kb << 52) + bias_1024);
  double k = double_of(kb | 0x4330000000000000ULL) - (0x1p52 + 1024.0);
  double f = m - 1.0;
  double s = f / (2.0 + f);
  double z = s * s;
  double z2 = z * z;
  double p = (atanh_c[0] + z * atanh_c[1]) + z2 * (atanh_c[2] + z * atanh_c[3]) +
             (z2 * z2) * atanh_c[4];
  double s2 = s + s;
  return k * ln2_hi + (s2 + ((s2 * z) * p + k * ln2_lo));
}

// e^t for t in [-700, 700]: fast_exp's reduction with the Taylor polynomial
// of degree 9 in Estrin's scheme.
inline double sq_exp(double t) {
  using namespace fast_math_detail;
  double kd = (t * inv_ln2 + round_magic) - round_magic;
  double r = (t - kd * ln2_hi) - kd * ln2_lo;
  double r2 = r * r, r4 = r2 * r2;
  double p = ((exp_c[0] + r * exp_c[1]) + r2 * (exp_c[2] + r * exp_c[3])) +
             r4 * (((exp_c[4] + r * exp_c[5]) + r2 * (exp_c[6] + r * exp_c[7])) +
                   r4 * (exp_c[8] + r * exp_c[9]));
  int64_t k = static_cast<int64_t>(kd);
  return p * double_of(static_cast<uint64_t>(k + 1023) << 52);
}

// The constants of a rejection-branch cell as gamadev computes them, and
// the reciprocal of am that the estimate multiplies by.
struct rejection_cell {
  double am;      // a - 1
  double s;       // sqrt((am + am) + 1)
  double inv_am;  // 1 / am, rounded
  bool squeeze;   // false when the constants leave the range of the bound
};

inline rejection_cell make_rejection_cell(double a) {
  rejection_cell cell;
  cell.am = a - 1;
  cell.s = std::sqrt((cell.am + cell.am) + 1);
  cell.inv_am = 1 / cell.am;
  cell.squeeze = std::isfinite(cell.s) && cell.am < 0x1p900;
  return cell;
}

// +1: u3 <= e (accept); -1: u3 > e (reject); 0: undecided.
// With q = x * inv_am (within 3.01u of gamadev's x/am in log), a1 = am ln q
// and t = a1 - s y, gamadev's t differs from this one by at most
//   dt = 2 squeeze_eps (|a1| + |t|) + 4 u am,
// and its e from this e by a factor within 1 +- rho,
//   rho = 2 (squeeze_eps + fast_eps + 2u + dt);
// the test widens by 2 rho.  When t + dt < -690, gamadev's e is under
// 2^95 e^-690 < 2^-48, the smallest non-zero uniform, because |y| <= 2^47
// (vx is a non-zero multiple of 2^-47), so every u3 >= 2^-48 rejects.
inline int squeeze_acceptance(const rejection_cell& cell, double x, double y, double u3) {
  using squeeze_detail::unit_round;
  if (!cell.squeeze || !std::isfinite(y)) return 0;
  double q = x * cell.inv_am;
  if (!(q >= DBL_MIN && q <= DBL_MAX)) return 0;
  double a1 = cell.am * sq_log(q);
  double t = a1 - cell.s * y;
  double dt = 2 * squeeze_eps * (std::fabs(a1) + std::fabs(t)) + 4 * unit_round * cell.am;
  if (t + dt < -690) return u3 >= 0x1p-48 ? -1 : 0;
  if (!(dt <= 0x1p-10) || !(t <= 1)) return 0;
  double rho = 2 * (squeeze_eps + fast_eps + 2 * unit_round + dt);
  double e = (y * y + 1) * sq_exp(t);
  if (u3 > e * (1 + 2 * rho)) return -1;
  if (u3 < e * (1 - 2 * rho)) return 1;
  return 0;
}

// gamadev's own test, with the library's log and exp.
inline int literal_acceptance(const rejection_cell& cell, double x, double y, double u3) {
  double e = (y * y + 1) * std::exp(cell.am * std::log(x / cell.am) - cell.s * y);
  return u3 > e ? -1 : 1;
}

}  // namespace drevel

#endif
