// The ring's fill on AVX-512: eight 64-bit lanes per register with the
// processor's own 64-bit multiply (AVX-512DQ), and the exact conversion of
// a 64-bit integer to double, so that a round of eight uniforms takes a
// multiply, an add, a mask, a conversion and a scaling.  Two registers of
// eight lanes, each lane jumping sixteen steps per round, keep two multiply
// chains in flight.  The uniforms are rand48_uniform's: X < 2^48 converts
// exactly and the scaling by 2^-48 is exact.
#if defined(__x86_64__) || defined(__i386__)

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include "fast/stream/stream_avx512.h"

#include <immintrin.h>

#include "fast/stream/cpu_features.h"
#include "random/rand48_access.h"

#define DREVEL_AVX512 DREVEL_TARGET_AVX512_F_DQ

namespace drevel {

namespace {

DREVEL_AVX512 inline __m512i step(__m512i X, __m512i a, __m512i c, __m512i m48) {
  return _mm512_and_si512(_mm512_add_epi64(_mm512_mullo_epi64(X, a), c), m48);
}

// Eight uniforms of consecutive positions from q: straight where they lie
// before the ring's end, lane by lane where they wrap round it.
DREVEL_AVX512 inline void store_eight(double* uniforms, int64_t mask, int64_t q, __m512i X,
                                      __m512d scale) {
  __m512d u = _mm512_mul_pd(_mm512_cvtepi64_pd(X), scale);
  size_t s = static_cast<size_t>(q & mask);
  if (static_cast<int64_t>(s) + 7 <= mask) {
    _mm512_storeu_pd(uniforms + s, u);
    return;
  }
  alignas(64) double us[8];
  _mm512_store_pd(us, u);
  for (int i = 0; i < 8; i++) uniforms[static_cast<size_t>((q + i) & mask)] = us[i];
}

}  // namespace

DREVEL_AVX512 void ring_fill_avx512(double* uniforms, int64_t mask, int64_t q, int64_t groups,
                                    const uint64_t* first8) {
  constexpr rand48_jump j8 = rand48_jump_of(8), j16 = rand48_jump_of(16);
  const __m512i m48 = _mm512_set1_epi64(static_cast<long long>(rand48_mask));
  const __m512d scale = _mm512_set1_pd(0x1p-48);
  __m512i A = _mm512_loadu_si512(first8);
  __m512i B = step(A, _mm512_set1_epi64(static_cast<long long>(j8.a)),
                   _mm512_set1_epi64(static_cast<long long>(j8.c)), m48);
  const __m512i a16 = _mm512_set1_epi64(static_cast<long long>(j16.a));
  const __m512i c16 = _mm512_set1_epi64(static_cast<long long>(j16.c));
  int64_t g = 0;
  for (; g + 4 <= groups; g += 4, q += 16) {
    store_eight(uniforms, mask, q, A, scale);
    store_eight(uniforms, mask, q + 8, B, scale);
    A = step(A, a16, c16, m48);
    B = step(B, a16, c16, m48);
  }
  // Fewer than sixteen positions left: the next eight are A's, then B's.
  alignas(64) double us[16];
  _mm512_store_pd(us, _mm512_mul_pd(_mm512_cvtepi64_pd(A), scale));
  _mm512_store_pd(us + 8, _mm512_mul_pd(_mm512_cvtepi64_pd(B), scale));
  for (int i = 0; i < 4 * (groups - g); i++) uniforms[static_cast<size_t>((q + i) & mask)] = us[i];
}

}  // namespace drevel

#endif
