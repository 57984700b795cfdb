// Squeezed acceptance test of the rejection branch; the bound is derived in
// docs/fast-engine.md (section "Rejection test").
#include "evidence/fast_gamma.h"

#include <cfloat>
#include <cmath>

#include "evidence/fast_math.h"
#include "random/rand48_access.h"

namespace drevel {

namespace {
constexpr double unit_round = 0x1p-53;
}

rejection_cell make_rejection_cell(double a) {
  rejection_cell cell;
  cell.am = a - 1;
  cell.s = std::sqrt((cell.am + cell.am) + 1);
  cell.squeeze = std::isfinite(cell.s) && cell.am < 0x1p900;
  return cell;
}

// t = am ln(x/am) - s y differs from gamadev's by at most
// dt = 3 (eps + u) (|am ln q| + |t|); then e differs from gamadev's by a
// factor within 1 +- rho, rho = 2 (2 eps + 2 u + dt); the test uses 2 rho.
// For t below -690 gamadev's e is below 2^95 e^-689 < 2^-48, the smallest
// non-zero uniform, since |y| <= 2^47 (vx is a non-zero multiple of 2^-47).
int squeeze_acceptance(const rejection_cell& cell, double x, double y, double u3) {
  if (!cell.squeeze || !std::isfinite(y)) return 0;
  double q = x / cell.am;
  if (!(q >= DBL_MIN && q <= DBL_MAX)) return 0;
  double a1 = cell.am * fast_log(q);
  double t = a1 - cell.s * y;
  double dt = 3 * (fast_eps + unit_round) * (std::fabs(a1) + std::fabs(t));
  if (!(dt <= 0x1p-20)) return 0;
  if (t < -690) return u3 > 0 ? -1 : 0;
  if (!(t <= 1)) return 0;
  double rho = 2 * (2 * fast_eps + 2 * unit_round + dt);
  double e = (y * y + 1) * fast_exp(t);
  if (u3 > e * (1 + 2 * rho)) return -1;
  if (u3 < e * (1 - 2 * rho)) return 1;
  return 0;
}

double fast_gamma_rejection(const rejection_cell& cell, uint64_t& X, int64_t* literal_tests) {
  const double am = cell.am, s = cell.s;
  for (;;) {
    X = rand48_next(X);
    double u1 = rand48_uniform(X);
    double vx = (u1 + u1) - 1;
    X = rand48_next(X);
    double u2 = rand48_uniform(X);
    double vy = (u2 + u2) - 1;
    if (vx * vx + vy * vy > 1) continue;
    double y = vy / vx;
    double x = s * y + am;
    if (x <= 0) continue;
    X = rand48_next(X);
    double u3 = rand48_uniform(X);
    int verdict = squeeze_acceptance(cell, x, y, u3);
    if (verdict == 0) {
      ++*literal_tests;
      double e = (y * y + 1) * std::exp(am * std::log(x / am) - s * y);
      verdict = u3 > e ? -1 : 1;
    }
    if (verdict < 0) continue;
    return x;
  }
}

}  // namespace drevel
