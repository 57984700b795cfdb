// The draw's log-kernel four lanes at a time.  Compiled for every x86 build
// with a per-function target attribute, and chosen at run time only on
// processors that report AVX2.  No FMA: every lane rounds exactly as
// fast_log does, so a lane's logarithm is bit-identical to the scalar one.
#if defined(__x86_64__) || defined(__i386__)

#include "evidence/avx2_math.h"
#include "evidence/fast_kernel.h"
#include "evidence/fast_kernel_scalar.h"

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
  kernel_sums s;
  s.minP = hmin(minP4);
  scalar_products(G, i, np, s);

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
  s.sL = hsum(sL4);
  s.sA = hsum(sA4);
  s.S = hsum(S4);
  s.minG = hmin(minG4);
  s.maxG = hmax(maxG4);
  scalar_cells(G, d, i, n, s);
  return close_kernel(s, D);
}

}  // namespace drevel

#endif
