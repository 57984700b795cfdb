// The stream's AVX2 code.  The ring's fill runs eight positions at a time
// in two groups of four lanes: lane i holds X(q + i) and jumps eight steps
// per round.  The 48-bit product is assembled from 32-bit halves with
// _mm256_mul_epu32; the uniform is X converted exactly (X < 2^52, through
// the exponent of 2^52) and scaled by 2^-48, the value rand48_uniform gives.
#if defined(__x86_64__) || defined(__i386__)

#include "fast/stream/stream_avx2.h"

#include <immintrin.h>

#include "fast/bounds/rejection_table.h"
#include "fast/stream/cpu_features.h"
#include "random/rand48_access.h"

namespace drevel {

namespace {

// (a X + c) mod 2^48 in each lane, with a = a_hi 2^32 + a_lo and
// X = x_hi 2^32 + x_lo: a_lo x_lo + ((a_lo x_hi + a_hi x_lo) << 32) + c, the
// rest vanishing mod 2^48.
DREVEL_TARGET_AVX2 inline __m256i step(__m256i X, __m256i a_lo, __m256i a_hi,
                                                    __m256i c, __m256i m48) {
  __m256i lo = _mm256_mul_epu32(X, a_lo);
  __m256i mid = _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(X, 32), a_lo),
                                 _mm256_mul_epu32(X, a_hi));
  return _mm256_and_si256(_mm256_add_epi64(_mm256_add_epi64(lo, _mm256_slli_epi64(mid, 32)), c),
                          m48);
}

// The uniforms of four states: X converted exactly through the exponent of
// 2^52, then scaled by 2^-48.
DREVEL_TARGET_AVX2 inline __m256d uniforms_of(__m256i X) {
  const __m256i exp52 = _mm256_set1_epi64x(0x4330000000000000LL);
  return _mm256_mul_pd(
      _mm256_sub_pd(_mm256_castsi256_pd(_mm256_or_si256(X, exp52)), _mm256_set1_pd(0x1p52)),
      _mm256_set1_pd(0x1p-48));
}

DREVEL_TARGET_AVX2 inline void store_group(double* uniforms, int64_t mask,
                                                         int64_t q, __m256i X) {
  __m256d u = uniforms_of(X);
  size_t s = static_cast<size_t>(q & mask);
  if (static_cast<int64_t>(s) + 3 <= mask) {
    _mm256_storeu_pd(uniforms + s, u);
    return;
  }
  alignas(32) double us[4];  // the group wraps round the ring's end
  _mm256_store_pd(us, u);
  for (int i = 0; i < 4; i++) uniforms[static_cast<size_t>((q + i) & mask)] = us[i];
}

}  // namespace

// Two groups of four lanes, each lane jumping eight steps per round, so that
// the two multiply chains overlap instead of waiting on each other.
DREVEL_TARGET_AVX2 void ring_fill_avx2(double* uniforms, int64_t mask, int64_t q,
                                                     int64_t groups, const uint64_t* first8) {
  constexpr rand48_jump j8 = rand48_jump_of(8);
  const uint64_t* x = first8;
  __m256i A = _mm256_set_epi64x(static_cast<long long>(x[3]), static_cast<long long>(x[2]),
                                static_cast<long long>(x[1]), static_cast<long long>(x[0]));
  __m256i B = _mm256_set_epi64x(static_cast<long long>(x[7]), static_cast<long long>(x[6]),
                                static_cast<long long>(x[5]), static_cast<long long>(x[4]));
  const __m256i a_lo = _mm256_set1_epi64x(static_cast<long long>(j8.a & 0xFFFFFFFFULL));
  const __m256i a_hi = _mm256_set1_epi64x(static_cast<long long>(j8.a >> 32));
  const __m256i c = _mm256_set1_epi64x(static_cast<long long>(j8.c));
  const __m256i m48 = _mm256_set1_epi64x(static_cast<long long>(rand48_mask));
  int64_t g = 0;
  for (; g + 2 <= groups; g += 2, q += 8) {
    store_group(uniforms, mask, q, A);
    store_group(uniforms, mask, q + 4, B);
    A = step(A, a_lo, a_hi, c, m48);
    B = step(B, a_lo, a_hi, c, m48);
  }
  if (g < groups) store_group(uniforms, mask, q, A);  // an odd last group
}

// attempt_word eight positions at a time: the disc test on two groups of
// four doubles, y in float on eight lanes, its bin from the float's bits
// (sign, exponent clamped to the table's octaves, top mantissa bits, one
// more in the finer octaves), and
// u3's top bits beside it.
DREVEL_TARGET_AVX2 void attempt_words_avx2(const double* U, uint32_t* words,
                                                         int64_t groups) {
  using namespace rejection_table_detail;
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256i lane_bits = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
  for (int64_t g = 0; g < groups; g++, U += 8, words += 8) {
    __m256d u1a = _mm256_loadu_pd(U), u1b = _mm256_loadu_pd(U + 4);
    __m256d u2a = _mm256_loadu_pd(U + 1), u2b = _mm256_loadu_pd(U + 5);
    __m256d vxa = _mm256_sub_pd(_mm256_add_pd(u1a, u1a), one);
    __m256d vxb = _mm256_sub_pd(_mm256_add_pd(u1b, u1b), one);
    __m256d vya = _mm256_sub_pd(_mm256_add_pd(u2a, u2a), one);
    __m256d vyb = _mm256_sub_pd(_mm256_add_pd(u2b, u2b), one);
    __m256d ra = _mm256_add_pd(_mm256_mul_pd(vxa, vxa), _mm256_mul_pd(vya, vya));
    __m256d rb = _mm256_add_pd(_mm256_mul_pd(vxb, vxb), _mm256_mul_pd(vyb, vyb));
    int outside = _mm256_movemask_pd(_mm256_cmp_pd(ra, one, _CMP_GT_OQ)) |
                  _mm256_movemask_pd(_mm256_cmp_pd(rb, one, _CMP_GT_OQ)) << 4;
    __m256i disc = _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(outside), lane_bits),
                                      lane_bits);
    __m256 vx = _mm256_set_m128(_mm256_cvtpd_ps(vxb), _mm256_cvtpd_ps(vxa));
    __m256 vy = _mm256_set_m128(_mm256_cvtpd_ps(vyb), _mm256_cvtpd_ps(vya));
    __m256i b = _mm256_castps_si256(_mm256_div_ps(vy, vx));
    __m256i ex = _mm256_sub_epi32(_mm256_and_si256(_mm256_srli_epi32(b, 23), _mm256_set1_epi32(0xff)),
                                  _mm256_set1_epi32(127));
    __m256i mant = _mm256_and_si256(_mm256_srli_epi32(b, 23 - octave_bits),
                                    _mm256_set1_epi32((1 << octave_bits) - 1));
    __m256i k = _mm256_add_epi32(
        _mm256_or_si256(_mm256_slli_epi32(_mm256_sub_epi32(ex, _mm256_set1_epi32(first_exponent)),
                                          octave_bits),
                        mant),
        _mm256_set1_epi32(1));
    // Octaves above the finer ones: past the finer octaves' extra bins.
    k = _mm256_add_epi32(k, _mm256_and_si256(_mm256_cmpgt_epi32(ex, _mm256_set1_epi32(fine_last_exponent - 1)),
                                             _mm256_set1_epi32(finer_extra)));
    // The finer octaves: one more mantissa bit, after the octaves below.
    __m256i fine_mant = _mm256_and_si256(_mm256_srli_epi32(b, 23 - fine_octave_bits),
                                         _mm256_set1_epi32((1 << fine_octave_bits) - 1));
    __m256i fine_k = _mm256_add_epi32(
        _mm256_or_si256(
            _mm256_slli_epi32(_mm256_sub_epi32(ex, _mm256_set1_epi32(fine_first_exponent)),
                              fine_octave_bits),
            fine_mant),
        _mm256_set1_epi32(1 + low_fine_bins));
    __m256i finer = _mm256_andnot_si256(
        _mm256_cmpgt_epi32(_mm256_set1_epi32(fine_first_exponent), ex),
        _mm256_cmpgt_epi32(_mm256_set1_epi32(fine_last_exponent), ex));
    k = _mm256_blendv_epi8(k, fine_k, finer);
    k = _mm256_andnot_si256(_mm256_cmpgt_epi32(_mm256_set1_epi32(first_exponent), ex), k);
    k = _mm256_blendv_epi8(k, _mm256_add_epi32(ex, _mm256_set1_epi32(first_coarse_bin - last_exponent)),
                           _mm256_cmpgt_epi32(ex, _mm256_set1_epi32(last_exponent - 1)));
    k = _mm256_blendv_epi8(k, _mm256_set1_epi32(side_bins - 1),
                           _mm256_cmpgt_epi32(ex, _mm256_set1_epi32(coarse_end_exponent - 1)));
    __m256i side = _mm256_and_si256(_mm256_srai_epi32(b, 31), _mm256_set1_epi32(side_bins));
    __m256i bin = _mm256_add_epi32(_mm256_add_epi32(k, side), _mm256_set1_epi32(1));
    __m256i nan = _mm256_cmpgt_epi32(_mm256_and_si256(b, _mm256_set1_epi32(0x7fffffff)),
                                     _mm256_set1_epi32(0x7f800000));
    bin = _mm256_andnot_si256(nan, bin);  // nan_bin is 0
    bin = _mm256_blendv_epi8(bin, _mm256_set1_epi32(disc_bin), disc);
    const __m256d scale = _mm256_set1_pd(0x1p15);
    __m256i t = _mm256_set_m128i(_mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_loadu_pd(U + 6), scale)),
                                 _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_loadu_pd(U + 2), scale)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(words),
                        _mm256_or_si256(bin, _mm256_slli_epi32(t, 16)));
  }
}

}  // namespace drevel

#endif
