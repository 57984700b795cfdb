// The draw's log-kernel four lanes at a time.  Compiled for every x86 build
// with a per-function target attribute, and chosen at run time only on
// processors that report AVX2.  No FMA: every lane rounds exactly as
// fast_log does, so a lane's logarithm is bit-identical to the scalar one.
#if defined(__x86_64__) || defined(__i386__)

#include <cfloat>
#include <cmath>

#include "evidence/fast_kernel.h"
#include "evidence/avx2_math.h"
#include "evidence/fast_math.h"

namespace drevel {

namespace {

DREVEL_AVX2 inline double hsum(__m256d v) {
  __m128d lo = _mm256_castpd256_pd128(v), hi = _mm256_extractf128_pd(v, 1);
  __m128d s = _mm_add_pd(lo, hi);
  return _mm_cvtsd_f64(_mm_add_sd(s, _mm_unpackhi_pd(s, s)));
}

DREVEL_AVX2 inline double hmin(__m256d v) {
  __m128d lo = _mm256_castpd256_pd128(v), hi = _mm256_extractf128_pd(v, 1);
  __m128d s = _mm_min_pd(lo, hi);
  return _mm_cvtsd_f64(_mm_min_sd(s, _mm_unpackhi_pd(s, s)));
}

DREVEL_AVX2 inline double hmax(__m256d v) {
  __m128d lo = _mm256_castpd256_pd128(v), hi = _mm256_extractf128_pd(v, 1);
  __m128d s = _mm_max_pd(lo, hi);
  return _mm_cvtsd_f64(_mm_max_sd(s, _mm_unpackhi_pd(s, s)));
}

}  // namespace

DREVEL_AVX2 fast_kernel_result fast_kernel_avx2(double* G, int np, int n, const double* d,
                                                double D) {
  const __m256d sign = _mm256_set1_pd(-0.0);
  // Lanes of min and max start at values that never win; _mm256_min_pd
  // returns its second operand for a NaN lane, so a NaN is caught by the
  // finiteness test of L instead.
  __m256d minP4 = _mm256_set1_pd(1.0);
  int i = 0;
  for (; i + 4 <= np; i += 4) {
    __m256d P = _mm256_loadu_pd(G + i);
    minP4 = _mm256_min_pd(P, minP4);
    _mm256_storeu_pd(G + i, _mm256_xor_pd(avx2::log(P), sign));
  }
  double minP = hmin(minP4);
  for (; i < np; i++) {
    double P = G[i];
    minP = P < minP ? P : minP;
    G[i] = -fast_log(P);
  }

  __m256d sL4 = _mm256_setzero_pd(), sA4 = _mm256_setzero_pd(), S4 = _mm256_setzero_pd();
  __m256d minG4 = _mm256_set1_pd(0x1p1000), maxG4 = _mm256_setzero_pd();
  i = 0;
  for (; i + 4 <= n; i += 4) {
    __m256d g = _mm256_loadu_pd(G + i);
    __m256d t = _mm256_mul_pd(_mm256_loadu_pd(d + i), avx2::log(g));
    sL4 = _mm256_add_pd(sL4, t);
    sA4 = _mm256_add_pd(sA4, _mm256_andnot_pd(sign, t));
    S4 = _mm256_add_pd(S4, g);
    minG4 = _mm256_min_pd(g, minG4);
    maxG4 = _mm256_max_pd(g, maxG4);
  }
  double sL = hsum(sL4), sA = hsum(sA4), S = hsum(S4), minG = hmin(minG4), maxG = hmax(maxG4);
  for (; i < n; i++) {
    double g = G[i];
    double t = d[i] * fast_log(g);
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

}  // namespace drevel

#endif
