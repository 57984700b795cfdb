// The draw's log-kernel four lanes at a time, product cells grouped by d
// (docs/fast-engine.md, "Grouped product cells").  Compiled for every x86
// build with a per-function target attribute, and chosen at run time only on
// processors that report AVX2.  No FMA: every lane evaluates fast_log's own
// template, so a lane's logarithm is bit-identical to the scalar one.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include <cmath>
#include <cstdint>

#include "fast/bounds/fast_kernel.h"
#include "fast/bounds/fast_kernel_scalar.h"
#include "fast/bounds/fast_log.h"

#define DREVEL_AVX2 __attribute__((target("avx2")))

namespace drevel {

namespace {

// fast_log and fast_log_short of four lanes.
DREVEL_AVX2 inline __m256d log4(__m256d x) {
  f64x4 y;
  fast_log_lanes<8>(f64x4(x), y);
  return __m256d(y);
}
DREVEL_AVX2 inline __m256d log4_short(__m256d x) {
  f64x4 y;
  fast_log_lanes<4>(f64x4(x), y);
  return __m256d(y);
}

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

// ln of the product of G[first..end): lane by lane M <- M G, renormalised
// to [1, 2) after each cell by moving its exponent into an integer sum E
// (exact), then sum over lanes of ln M + E ln 2, with the cells past the
// last group of four in a scalar lane of their own.  Each product rounds
// once, so the lanes' products are within (1 + u)^(end - first) of the
// exact ones.  Adds the cells' G to S4 and their range to minG4, maxG4.
DREVEL_AVX2 double log_of_product(const double* G, int first, int end, __m256d& S4, double& S,
                                  __m256d& minG4, __m256d& maxG4, double& minG, double& maxG) {
  using fast_log_detail::ln2_hi;
  using fast_log_detail::ln2_lo;
  const __m256i mantissa = _mm256_set1_epi64x(0x000FFFFFFFFFFFFFLL);
  const __m256i one_bits = _mm256_set1_epi64x(0x3FF0000000000000LL);
  __m256d M = _mm256_set1_pd(1.0);
  __m256i E = _mm256_setzero_si256();
  int i = first;
  for (; i + 4 <= end; i += 4) {
    __m256d g = _mm256_loadu_pd(G + i);
    S4 = _mm256_add_pd(S4, g);
    minG4 = _mm256_min_pd(g, minG4);
    maxG4 = _mm256_max_pd(g, maxG4);
    __m256i b = _mm256_castpd_si256(_mm256_mul_pd(M, g));
    E = _mm256_add_epi64(E, _mm256_srli_epi64(b, 52));
    M = _mm256_castsi256_pd(_mm256_or_si256(_mm256_and_si256(b, mantissa), one_bits));
  }
  double sum = 0;
  if (i > first) {
    // E holds biased exponents, 1023 per cell of the lane.
    __m256d k = _mm256_sub_pd(
        _mm256_castsi256_pd(_mm256_or_si256(E, _mm256_set1_epi64x(0x4330000000000000LL))),
        _mm256_set1_pd(0x1p52 + 1023.0 * ((i - first) / 4)));
    __m256d lanes =
        _mm256_add_pd(_mm256_mul_pd(k, _mm256_set1_pd(ln2_hi)),
                      _mm256_add_pd(log4(M), _mm256_mul_pd(k, _mm256_set1_pd(ln2_lo))));
    sum = hsum(lanes);
  }
  if (i == end) return sum;
  double m = 1.0;
  int64_t e = 0;
  for (; i < end; i++) {
    double g = G[i];
    S = S + g;
    minG = g < minG ? g : minG;
    maxG = g > maxG ? g : maxG;
    uint64_t b = __builtin_bit_cast(uint64_t, m * g);
    e += static_cast<int64_t>(b >> 52) - 1023;
    m = __builtin_bit_cast(double, (b & 0x000FFFFFFFFFFFFFULL) | 0x3FF0000000000000ULL);
  }
  double k = static_cast<double>(e);
  return sum + (k * ln2_hi + (fast_log(m) + k * ln2_lo));
}

}  // namespace

DREVEL_AVX2 fast_kernel_result fast_kernel_avx2(double* G, const kernel_layout& layout) {
  const int np = layout.np, n = layout.n, ngroups = layout.ngroups;
  const double* d = layout.d;
  const product_group* groups = layout.groups;
  const bool short_log = layout.short_log;
  const __m256d sign = _mm256_set1_pd(-0.0);
  // Lanes of min and max start at values that never win; _mm256_min_pd
  // returns its second operand for a NaN lane, so a NaN is caught by the
  // finiteness test of L instead.
  __m256d minP4 = _mm256_set1_pd(1.0);
  int i = 0;
  for (; i + 4 <= np; i += 4) {
    __m256d P = _mm256_loadu_pd(G + i);
    minP4 = _mm256_min_pd(P, minP4);
    _mm256_storeu_pd(G + i, _mm256_xor_pd(short_log ? log4_short(P) : log4(P), sign));
  }
  kernel_sums s;
  s.minP = hmin(minP4);
  scalar_products(G, i, np, s, short_log);

  // The product cells by groups where the plan has them, the rest by
  // logarithms.
  int m = ngroups > 0 ? np : 0;
  kernel_magnitude magnitude;
  bool groups_ok = true;
  __m256d sL4 = _mm256_setzero_pd(), sA4 = _mm256_setzero_pd(), S4 = _mm256_setzero_pd();
  __m256d minG4 = _mm256_set1_pd(0x1p1000), maxG4 = _mm256_setzero_pd();
  if (m > 0) {
    double minGm = 0x1p1000, maxGm = 0, Dm = 0, dsum = 0;
    for (int g = 0; g < ngroups; g++) {
      const product_group& grp = groups[g];
      double l = log_of_product(G, grp.first, grp.end, S4, s.S, minG4, maxG4, minGm, maxGm);
      s.sL = s.sL + grp.d * l;
      Dm = Dm + std::fabs(grp.d) * (grp.end - grp.first);
      dsum = dsum + std::fabs(grp.d);
    }
    double lo = hmin(minG4), hi = hmax(maxG4);
    minGm = lo < minGm ? lo : minGm;
    maxGm = hi > maxGm ? hi : maxGm;
    double lmin = std::fabs(fast_log(minGm)), lmax = std::fabs(fast_log(maxGm));
    magnitude.group_d = dsum;
    magnitude.group_D = Dm;
    magnitude.group_A = kernel_bound::group_magnitude(Dm, lmin, lmax);
    // The lanes' products stay normal: |ln| of a product below 2^1000.
    groups_ok = minGm >= 0x1p-500 && maxGm <= 0x1p450;
    s.minG = minGm;
    s.maxG = maxGm;
  }

  minG4 = _mm256_set1_pd(0x1p1000);
  maxG4 = _mm256_setzero_pd();
  i = m;
  for (; i + 4 <= n; i += 4) {
    __m256d g = _mm256_loadu_pd(G + i);
    __m256d t = _mm256_mul_pd(_mm256_loadu_pd(d + i), log4(g));
    sL4 = _mm256_add_pd(sL4, t);
    sA4 = _mm256_add_pd(sA4, _mm256_andnot_pd(sign, t));
    S4 = _mm256_add_pd(S4, g);
    minG4 = _mm256_min_pd(g, minG4);
    maxG4 = _mm256_max_pd(g, maxG4);
  }
  s.sL = s.sL + hsum(sL4);
  s.sA = magnitude.group_A + hsum(sA4);
  s.S = s.S + hsum(S4);
  double lo = hmin(minG4), hi = hmax(maxG4);
  s.minG = lo < s.minG ? lo : s.minG;
  s.maxG = hi > s.maxG ? hi : s.maxG;
  scalar_cells(G, d, i, n, s);
  kernel_close c = close_kernel(s, layout.D);
  fast_kernel_result r;
  r.L = c.L;
  magnitude.A = c.A;
  r.magnitude = magnitude;
  r.ok = c.ok && groups_ok;
  return r;
}

}  // namespace drevel

#endif
