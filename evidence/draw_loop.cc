// The check every 100 draws and the stopping rule.
#include "evidence/draw_loop.h"

#include <cmath>

namespace drevel {

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

bool mc_precise(const mc_check& check, double precision) {
  return check.HF < precision && check.HD < precision;
}

bool mc_stop(int64_t N, int32_t minmc, int32_t maxmc, const mc_check& check, double precision) {
  if (N < minmc) return false;
  if (N >= maxmc) return true;
  return mc_precise(check, precision);
}

mc_estimate mc_estimate_of(const mc_run& run, const mc_rule& rule) {
  mc_estimate out;
  out.r = run.check.r;
  out.draws = run.draws;
  out.hits = static_cast<int64_t>(run.sums.Sx);
  // A stopped run that is not precise stopped at maxmc: below it, only the
  // precision ends a run.
  out.at_maxmc = !mc_precise(run.check, rule.precision);
  return out;
}

}  // namespace drevel
