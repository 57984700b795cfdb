// The ring's fill four lanes at a time: lane i holds X(q + i) and jumps four
// steps per round.  The 48-bit product is assembled from 32-bit halves with
// _mm256_mul_epu32; the uniform is X converted exactly (X < 2^52, through
// the exponent of 2^52) and scaled by 2^-48, the value rand48_uniform gives.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "evidence/draw_walker.h"

namespace drevel {

__attribute__((target("avx2"))) void ring_fill_avx2(uint64_t* states, double* uniforms,
                                                     int64_t mask, int64_t q, int64_t groups,
                                                     uint64_t X_prev) {
  constexpr rand48_jump j4 = rand48_jump_of(4);
  uint64_t x1 = rand48_next(X_prev);
  uint64_t x2 = rand48_next(x1), x3 = rand48_next(x2), x4 = rand48_next(x3);
  __m256i X = _mm256_set_epi64x(static_cast<long long>(x4), static_cast<long long>(x3),
                                static_cast<long long>(x2), static_cast<long long>(x1));
  const __m256i a_lo = _mm256_set1_epi64x(static_cast<long long>(j4.a & 0xFFFFFFFFULL));
  const __m256i a_hi = _mm256_set1_epi64x(static_cast<long long>(j4.a >> 32));
  const __m256i c = _mm256_set1_epi64x(static_cast<long long>(j4.c));
  const __m256i m48 = _mm256_set1_epi64x(static_cast<long long>(rand48_mask));
  const __m256i exp52 = _mm256_set1_epi64x(0x4330000000000000LL);
  const __m256d two52 = _mm256_set1_pd(0x1p52), scale = _mm256_set1_pd(0x1p-48);
  for (int64_t g = 0; g < groups; g++, q += 4) {
    __m256d u = _mm256_mul_pd(_mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(X, exp52)), two52),
                              scale);
    size_t s = static_cast<size_t>(q & mask);
    if (static_cast<int64_t>(s) + 3 <= mask) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(states + s), X);
      _mm256_storeu_pd(uniforms + s, u);
    } else {  // the group wraps round the ring's end
      alignas(32) uint64_t xs[4];
      alignas(32) double us[4];
      _mm256_store_si256(reinterpret_cast<__m256i*>(xs), X);
      _mm256_store_pd(us, u);
      for (int i = 0; i < 4; i++) {
        states[static_cast<size_t>((q + i) & mask)] = xs[i];
        uniforms[static_cast<size_t>((q + i) & mask)] = us[i];
      }
    }
    // (a X + c) mod 2^48 with a = a_hi 2^32 + a_lo, X = x_hi 2^32 + x_lo:
    // a_lo x_lo + ((a_lo x_hi + a_hi x_lo) << 32) + c, the rest vanishing mod 2^48.
    __m256i lo = _mm256_mul_epu32(X, a_lo);
    __m256i mid = _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(X, 32), a_lo),
                                   _mm256_mul_epu32(X, a_hi));
    X = _mm256_and_si256(_mm256_add_epi64(_mm256_add_epi64(lo, _mm256_slli_epi64(mid, 32)), c),
                         m48);
  }
}

}  // namespace drevel

#endif
