// The four-lane AVX2 counterpart of fast_log, operation for
// operation, so that each lane's value is bit-identical to the scalar one.
// Include only from translation units whose functions carry DREVEL_AVX2.
#ifndef DREVEL_EVIDENCE_AVX2_MATH_H
#define DREVEL_EVIDENCE_AVX2_MATH_H

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "evidence/fast_math.h"

#define DREVEL_AVX2 __attribute__((target("avx2")))

namespace drevel {
namespace avx2 {

DREVEL_AVX2 inline __m256d splat(double v) { return _mm256_set1_pd(v); }

// x = 2^k m, m in [sqrt(1/2), sqrt(2)): returns s = f/(2+f), f = m - 1, and k.
DREVEL_AVX2 inline __m256d log_reduce(__m256d x, __m256d* k_out) {
  using namespace fast_math_detail;
  __m256i ix = _mm256_castpd_si256(x);
  __m256i t = _mm256_add_epi64(_mm256_sub_epi64(ix, _mm256_set1_epi64x(sqrt_half_bits)),
                               _mm256_set1_epi64x(1LL << 62));
  __m256i kb = _mm256_srli_epi64(t, 52);
  __m256i mb = _mm256_add_epi64(_mm256_sub_epi64(ix, _mm256_slli_epi64(kb, 52)),
                                _mm256_set1_epi64x(static_cast<long long>(bias_1024)));
  __m256d m = _mm256_castsi256_pd(mb);
  *k_out = _mm256_sub_pd(
      _mm256_castsi256_pd(_mm256_or_si256(kb, _mm256_set1_epi64x(0x4330000000000000LL))),
      splat(0x1p52 + 1024.0));
  __m256d f = _mm256_sub_pd(m, splat(1.0));
  return _mm256_div_pd(f, _mm256_add_pd(splat(2.0), f));
}

// k ln2_hi + (2s + (2s z p + k ln2_lo)).
DREVEL_AVX2 inline __m256d log_combine(__m256d s, __m256d z, __m256d p, __m256d k) {
  using namespace fast_math_detail;
  __m256d s2 = _mm256_add_pd(s, s);
  __m256d inner = _mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(s2, z), p),
                                _mm256_mul_pd(k, splat(ln2_lo)));
  return _mm256_add_pd(_mm256_mul_pd(k, splat(ln2_hi)), _mm256_add_pd(s2, inner));
}

// atanh_c[j] + z atanh_c[j+1].
DREVEL_AVX2 inline __m256d pair(__m256d z, int j) {
  using namespace fast_math_detail;
  return _mm256_add_pd(splat(atanh_c[j]), _mm256_mul_pd(z, splat(atanh_c[j + 1])));
}

// fast_log.
DREVEL_AVX2 inline __m256d log(__m256d x) {
  using namespace fast_math_detail;
  __m256d k;
  __m256d s = log_reduce(x, &k);
  __m256d z = _mm256_mul_pd(s, s);
  __m256d z2 = _mm256_mul_pd(z, z), z4 = _mm256_mul_pd(z2, z2);
  __m256d p01 = pair(z, 0), p23 = pair(z, 2), p45 = pair(z, 4), p67 = pair(z, 6);
  __m256d p = _mm256_add_pd(_mm256_add_pd(p01, _mm256_mul_pd(z2, p23)),
                            _mm256_mul_pd(z4, _mm256_add_pd(p45, _mm256_mul_pd(z2, p67))));
  return log_combine(s, z, p, k);
}

// fast_log_short.
DREVEL_AVX2 inline __m256d log_short(__m256d x) {
  __m256d k;
  __m256d s = log_reduce(x, &k);
  __m256d z = _mm256_mul_pd(s, s);
  __m256d z2 = _mm256_mul_pd(z, z);
  __m256d p = _mm256_add_pd(pair(z, 0), _mm256_mul_pd(z2, pair(z, 2)));
  return log_combine(s, z, p, k);
}

}  // namespace avx2
}  // namespace drevel

#endif
#endif
