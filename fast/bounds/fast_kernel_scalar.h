// The scalar pieces of the fast log-kernel, shared by the portable path and
// the tails of the AVX2 path so that both round every cell the same way.
// For the fast-kernel units only.
#ifndef DREVEL_FAST_BOUNDS_FAST_KERNEL_SCALAR_H
#define DREVEL_FAST_BOUNDS_FAST_KERNEL_SCALAR_H

#include <cfloat>
#include <cmath>

#include "fast/bounds/fast_log.h"

namespace drevel {

// Running values of one draw's kernel: the smallest product, sum d ln G,
// sum |d ln G|, S = sum G, and the range of G.
struct kernel_sums {
  double minP = 1.0, sL = 0, sA = 0, S = 0, minG = 0x1p1000, maxG = 0;
};

// G[i] = -ln P for the product cells from..np-1 (by fast_log_short if
// short_log), tracking the smallest P.
inline void scalar_products(double* G, int from, int np, kernel_sums& s, bool short_log) {
  for (int i = from; i < np; i++) {
    double P = G[i];
    s.minP = P < s.minP ? P : s.minP;
    G[i] = -(short_log ? fast_log_short(P) : fast_log(P));
  }
}

// Adds cells from..n-1 to the sums.
inline void scalar_cells(const double* G, const double* d, int from, int n, kernel_sums& s) {
  for (int i = from; i < n; i++) {
    double g = G[i];
    double t = d[i] * fast_log(g);
    s.sL = s.sL + t;
    s.sA = s.sA + std::fabs(t);
    s.S = s.S + g;
    s.minG = g < s.minG ? g : s.minG;
    s.maxG = g > s.maxG ? g : s.maxG;
  }
}

// The end of the kernel: L = sum d ln G - D ln S, its magnitude A, and
// whether every input lay in the range the bound covers.
struct kernel_close {
  double L, A;
  bool ok;
};
inline kernel_close close_kernel(const kernel_sums& s, double D) {
  double lS = fast_log(s.S);
  kernel_close r;
  r.L = s.sL - D * lS;
  r.A = s.sA + std::fabs(D * lS);
  r.ok = s.minP >= DBL_MIN && s.minG >= 0x1p-500 && s.maxG <= 0x1p450 && std::isfinite(r.L);
  return r;
}

}  // namespace drevel

#endif
