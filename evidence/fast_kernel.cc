// Portable evaluation of the draw's log-kernel, and the choice of path.
#include "evidence/fast_kernel.h"

#include <cfloat>
#include <cmath>

#include "evidence/fast_math.h"

namespace drevel {

// The scalar counterpart of the AVX2 loop: every value is the one the vector
// lanes produce; only the order of the sums differs.
fast_kernel_result fast_kernel_portable(double* G, int np, int n, const double* d, double D) {
  double minP = 1.0;
  for (int i = 0; i < np; i++) {
    double P = G[i];
    minP = P < minP ? P : minP;
    G[i] = -fast_log(P);
  }
  double sL = 0, sA = 0, S = 0, minG = 0x1p1000, maxG = 0;
  for (int i = 0; i < n; i++) {
    double g = G[i];
    double lg = fast_log(g);
    double t = d[i] * lg;
    sL = sL + t;
    sA = sA + std::fabs(t);
    S = S + g;
    minG = g < minG ? g : minG;
    maxG = g > maxG ? g : maxG;
  }
  double lS = fast_log(S);
  fast_kernel_result r;
  r.L = sL - D * lS;
  r.A = sA + std::fabs(D * lS);
  r.ok = minP >= DBL_MIN && minG >= 0x1p-500 && maxG <= 0x1p450 && std::isfinite(r.L);
  return r;
}

bool cpu_has_avx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

fast_kernel_fn select_fast_kernel(bool portable) {
#if defined(__x86_64__) || defined(__i386__)
  if (!portable && cpu_has_avx2()) return fast_kernel_avx2;
#endif
  return fast_kernel_portable;
}

}  // namespace drevel
