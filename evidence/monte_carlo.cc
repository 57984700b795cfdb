// The Monte Carlo tail estimate: Dirichlet draws, hit counting, and every
// 100 draws Fieller's theorem and the delta method for the ratio of means.
#include "evidence/monte_carlo.h"

#include <cmath>

#include "evidence/kernel.h"
#include "numeric/nrutil.h"
#include "random/dirirnd.h"
#include "random/process_rand48.h"

namespace drevel {

void mc_add_draw(mc_sums& s, int hit) {
  double w = 1.0;
  double h = hit;
  s.Sw = s.Sw + w;
  s.Sx = s.Sx + h * w;
  s.Sz = s.Sz + (1 - h) * w;
  s.Sww = s.Sww + w * w;
  s.Sxw = s.Sxw + h * (w * w);
  s.Szw = s.Szw + (1 - h) * (w * w);
}

mc_check mc_check_sums(const mc_sums& s, int64_t draws) {
  const double K = 6.7;
  double N = static_cast<double>(draws);
  double mw = s.Sw / N, mx = s.Sx / N, mz = s.Sz / N;
  double mww = s.Sww / N, mxw = s.Sxw / N, mzw = s.Szw / N;
  double sw = std::sqrt(mww - mw * mw);
  double sx = std::sqrt(mxw - mx * mx);
  double sz = std::sqrt(mzw - mz * mz);
  mc_check out;
  double r = mx / mw;
  out.r = r;
  // The covariance of x and w is sw^2 - sz^2 + mx*mz, from w = x + z, x*z = 0.
  double FA = mw * mw - (sw * sw * K) / N;
  double FB = mw * mx - (((sw * sw - sz * sz) + mx * mz) * K) / N;
  double FC = mx * mx - (sx * sx * K) / N;
  double D = FB * FB - FA * FC;
  out.HF = D >= 0 ? std::sqrt(D) / FA : 1.0;
  double rx = sx / mw, rz = sz / mw;
  double V = ((rx * rx) * ((1 - r) * (1 - r)) + (rz * rz) * (r * r)) +
             ((r * r) + (r * r)) * ((1 - r) * (1 - r));
  out.HD = std::sqrt((K * V) / N);
  return out;
}

bool mc_stop(int64_t N, int32_t minmc, int32_t maxmc, const mc_check& check, double precision) {
  if (N < minmc) return false;
  if (N >= maxmc) return true;
  return check.HF < precision && check.HD < precision;
}

double evidag_mtcar(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                    double precision, int c, rand48_state& state, int64_t* draws) {
  double* theta = vector(0, c);
  theta[0] = c;
  int64_t N = 0;
  mc_sums sums;
  mc_check check{0, 0, 0};
  for (;;) {
    N = N + 1;
    dirirnd(alpha, theta, c, state);
    double L = LogDNFunc(alpha, theta, c);
    mc_add_draw(sums, L >= L_hyp ? 1 : 0);
    if (N % 100 != 0) continue;
    check = mc_check_sums(sums, N);
    if (mc_stop(N, minmc, maxmc, check, precision)) break;
  }
  free_vector(theta, 0, c);
  if (draws) *draws = N;
  return check.r;
}

double evidag_mtcar(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                    double precision, int c) {
  return evidag_mtcar(alpha, L_hyp, maxmc, minmc, precision, c, process_rand48(), nullptr);
}

}  // namespace drevel
