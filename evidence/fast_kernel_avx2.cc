// The draw's log-kernel four lanes at a time.  Compiled for every x86 build
// with a per-function target attribute, and chosen at run time only on
// processors that report AVX2.  No FMA: every lane rounds exactly as
// fast_log does, so a lane's logarithm is bit-identical to the scalar one.
#if defined(__x86_64__) || defined(__i386__)

#include "evidence/avx2_math.h"
#include "evidence/fast_kernel.h"
#include "evidence/fast_kernel_scalar.h"

#include <cmath>

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

// Sum d ln G over the product cells 0..m-1 (m a multiple of 4, every d in
// 0..4) as the logarithm of a product of powers: lane by lane
// M <- M G^d, renormalised to [1, 2) after each cell by moving its exponent
// into an integer sum E (exact), so that four logarithms serve all m cells:
// sum = sum over lanes of ln M + E ln 2.  Every power and product rounds at
// most d times per cell, so the lanes' products are within (1 + u)^D of
// the exact ones.  Returns the sum; *Dm gets sum d and *minG, *maxG the
// range of these cells' G.
namespace {

DREVEL_AVX2 double power_products(const double* G, const double* d, int m, kernel_sums& s,
                                  double* Dm, double* minG, double* maxG) {
  const __m256d one = _mm256_set1_pd(1.0), two = _mm256_set1_pd(2.0);
  const __m256d three = _mm256_set1_pd(3.0), four = _mm256_set1_pd(4.0);
  const __m256i mantissa = _mm256_set1_epi64x(0x000FFFFFFFFFFFFFLL);
  const __m256i one_bits = _mm256_set1_epi64x(0x3FF0000000000000LL);
  __m256d M = one, S4 = _mm256_setzero_pd(), D4 = _mm256_setzero_pd();
  __m256d minG4 = _mm256_set1_pd(0x1p1000), maxG4 = _mm256_setzero_pd();
  __m256i E = _mm256_setzero_si256();
  for (int i = 0; i < m; i += 4) {
    __m256d g = _mm256_loadu_pd(G + i), dd = _mm256_loadu_pd(d + i);
    S4 = _mm256_add_pd(S4, g);
    D4 = _mm256_add_pd(D4, dd);
    minG4 = _mm256_min_pd(g, minG4);
    maxG4 = _mm256_max_pd(g, maxG4);
    __m256d g2 = _mm256_mul_pd(g, g);
    __m256d gd = _mm256_blendv_pd(one, g, _mm256_cmp_pd(dd, one, _CMP_GE_OQ));
    gd = _mm256_blendv_pd(gd, g2, _mm256_cmp_pd(dd, two, _CMP_GE_OQ));
    gd = _mm256_blendv_pd(gd, _mm256_mul_pd(g2, g), _mm256_cmp_pd(dd, three, _CMP_GE_OQ));
    gd = _mm256_blendv_pd(gd, _mm256_mul_pd(g2, g2), _mm256_cmp_pd(dd, four, _CMP_GE_OQ));
    __m256i b = _mm256_castpd_si256(_mm256_mul_pd(M, gd));
    E = _mm256_add_epi64(E, _mm256_srli_epi64(b, 52));
    M = _mm256_castsi256_pd(_mm256_or_si256(_mm256_and_si256(b, mantissa), one_bits));
  }
  s.S = s.S + hsum(S4);
  *Dm = hsum(D4);
  *minG = hmin(minG4);
  *maxG = hmax(maxG4);
  // E holds biased exponents, 1023 per cell of the lane.
  __m256d k = _mm256_sub_pd(
      _mm256_castsi256_pd(_mm256_or_si256(E, _mm256_set1_epi64x(0x4330000000000000LL))),
      _mm256_set1_pd(0x1p52 + 1023.0 * (m / 4)));
  using namespace fast_math_detail;
  __m256d lanes = _mm256_add_pd(_mm256_mul_pd(k, _mm256_set1_pd(ln2_hi)),
                                _mm256_add_pd(avx2::log(M), _mm256_mul_pd(k, _mm256_set1_pd(ln2_lo))));
  return hsum(lanes);
}

}  // namespace

DREVEL_AVX2 fast_kernel_result fast_kernel_avx2(double* G, int np, int n, const double* d,
                                                double D, bool integer_d) {
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

  // The product cells by powers where their d allow it, the rest by logarithms.
  int m = integer_d ? np / 4 * 4 : 0;
  double extra = 0, powers_A = 0;
  bool powers_ok = true;
  if (m > 0) {
    double Dm, minGm, maxGm;
    s.sL = power_products(G, d, m, s, &Dm, &minGm, &maxGm);
    // |ln G| <= max(|ln minG|, |ln maxG|) for the cells' G; the factor
    // covers fast_log's error.
    double lmin = std::fabs(fast_log(minGm)), lmax = std::fabs(fast_log(maxGm));
    powers_A = Dm * (lmin > lmax ? lmin : lmax) * (1 + 0x1p-40);
    extra = 4 * fast_eps + 2 * 0x1p-53 * D;
    // G^4 and the lanes' products stay normal.
    powers_ok = minGm >= 0x1p-250 && maxGm <= 0x1p250;
    s.minG = minGm;
    s.maxG = maxGm;
  }

  __m256d sL4 = _mm256_setzero_pd(), sA4 = _mm256_setzero_pd(), S4 = _mm256_setzero_pd();
  __m256d minG4 = _mm256_set1_pd(0x1p1000), maxG4 = _mm256_setzero_pd();
  i = m;
  for (; i + 4 <= n; i += 4) {
    __m256d g = _mm256_loadu_pd(G + i);
    __m256d t = _mm256_mul_pd(_mm256_loadu_pd(d + i), avx2::log(g));
    sL4 = _mm256_add_pd(sL4, t);
    sA4 = _mm256_add_pd(sA4, _mm256_andnot_pd(sign, t));
    S4 = _mm256_add_pd(S4, g);
    minG4 = _mm256_min_pd(g, minG4);
    maxG4 = _mm256_max_pd(g, maxG4);
  }
  s.sL = s.sL + hsum(sL4);
  s.sA = powers_A + hsum(sA4);
  s.S = s.S + hsum(S4);
  double lo = hmin(minG4), hi = hmax(maxG4);
  s.minG = lo < s.minG ? lo : s.minG;
  s.maxG = hi > s.maxG ? hi : s.maxG;
  scalar_cells(G, d, i, n, s);
  fast_kernel_result r = close_kernel(s, D);
  r.extra = extra;
  r.ok = r.ok && powers_ok;
  return r;
}

}  // namespace drevel

#endif
