// The walk on eight 32-bit lanes of AVX2: the AVX-512 walk's steps with
// vector masks instead of mask registers, and the accepted positions stored
// lane by lane (AVX2 has no scatter).  Compiled with a per-function target
// attribute and chosen at run time only where the processor has AVX2.
#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#include "fast/batch/batch_walk.h"
#include "fast/stream/cpu_features.h"

#define DREVEL_AVX2 DREVEL_TARGET_AVX2

namespace drevel {
namespace batch_internal {

namespace {

// The lanes whose 32-bit mask is set, as bits.
DREVEL_AVX2 inline unsigned bits(__m256i m) {
  return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(m)));
}

}  // namespace

DREVEL_AVX2 walk_event walk_avx2(walk_lanes& L, walk_context& ctx) {
  const __m256i three = _mm256_set1_epi32(3);
  const __m256i low16 = _mm256_set1_epi32(0xffff), low8 = _mm256_set1_epi32(0xff);
  const __m256i bin_mask = _mm256_set1_epi32(stream_word::bin_mask);
  const __m256i skip_mask = _mm256_set1_epi32(2 * stream_word::max_disc_skip);
  const __m256i zero = _mm256_setzero_si256();
  // p >= limit as p > limit - 1.
  const __m256i limit1 = _mm256_set1_epi32(ctx.limit - 1);
  const int* words = reinterpret_cast<const int*>(ctx.words);
  const int* pool = reinterpret_cast<const int*>(ctx.tables->pool());
  const int* program = ctx.program;
  int* records = ctx.records;
  const unsigned active_bits = L.active & 0xffu;
  const __m256i lane_bit = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
  const __m256i active = _mm256_cmpeq_epi32(
      _mm256_and_si256(_mm256_set1_epi32(static_cast<int>(active_bits)), lane_bit), lane_bit);
  __m256i p = _mm256_load_si256(reinterpret_cast<const __m256i*>(L.p));
  __m256i tab = _mm256_load_si256(reinterpret_cast<const __m256i*>(L.tab));
  __m256i ci = _mm256_load_si256(reinterpret_cast<const __m256i*>(L.ci));
  __m256i wp = _mm256_load_si256(reinterpret_cast<const __m256i*>(L.wp));
  const __m256i cbase = _mm256_load_si256(reinterpret_cast<const __m256i*>(L.cbase));
  const __m256i cend = _mm256_load_si256(reinterpret_cast<const __m256i*>(L.cend));
  const __m256i wend = _mm256_load_si256(reinterpret_cast<const __m256i*>(L.wend));
  // Each lane's program entry for its current cell, one acceptance ahead
  // (as in the AVX-512 walk).
  __m256i g = _mm256_mask_i32gather_epi32(zero, program, ci, active, 4);
  walk_event event;
  int64_t steps = 0;
  for (;;) {
    unsigned beyond = bits(_mm256_and_si256(active, _mm256_cmpgt_epi32(p, limit1)));
    if (beyond) {
      event.beyond = beyond;
      break;
    }
    steps++;
    {
      // Each lane's words some 25 steps ahead, two lanes a step (as in the
      // AVX-512 walk).
      alignas(32) int32_t ps[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(ps), p);
      int first = static_cast<int>(steps & 3) * 2;
      for (int l = first; l < first + 2; l++) {
        __builtin_prefetch(ctx.words + ps[l] + prefetch_ahead);
        // And their uniforms, which open attempts and the block kernel read.
        __builtin_prefetch(ctx.U + ps[l] + prefetch_ahead);
        __builtin_prefetch(ctx.U + ps[l] + prefetch_ahead + 8);
      }
    }
    __m256i w = _mm256_mask_i32gather_epi32(zero, words, p, active, 4);
    // The attempt the word leads to, past those outside the disc.
    p = _mm256_add_epi32(p, _mm256_and_si256(_mm256_srli_epi32(w, stream_word::skip_shift - 1),
                                             skip_mask));
    __m256i bin = _mm256_and_si256(w, bin_mask), t = _mm256_srli_epi32(w, 16);
    __m256i e = _mm256_mask_i32gather_epi32(zero, pool, _mm256_add_epi32(tab, bin), active, 4);
    __m256i lo = _mm256_and_si256(e, low16), hi = _mm256_srli_epi32(e, 16);
    // The fields are below 2^16, so the signed comparisons are exact.
    __m256i accept = _mm256_and_si256(active, _mm256_cmpgt_epi32(lo, t));
    __m256i reject = _mm256_andnot_si256(_mm256_cmpgt_epi32(hi, t), active);
    __m256i advance = _mm256_add_epi32(three, _mm256_cmpeq_epi32(hi, zero));  // 3, or 2 when hi = 0
    unsigned open = active_bits & ~bits(_mm256_or_si256(accept, reject));
    if (__builtin_expect(open != 0, 0)) {
      ctx.open_attempts += __builtin_popcount(open);
      alignas(32) int32_t ps[8], tabs[8], adv[8], acc[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(ps), p);
      _mm256_store_si256(reinterpret_cast<__m256i*>(tabs), tab);
      _mm256_store_si256(reinterpret_cast<__m256i*>(adv), advance);
      _mm256_store_si256(reinterpret_cast<__m256i*>(acc), accept);
      for (unsigned m = open; m; m &= m - 1) {
        int l = __builtin_ctz(m);
        int a;
        acc[l] = open_attempt(ctx, tabs[l], ps[l], &a) ? -1 : 0;
        adv[l] = a;
      }
      advance = _mm256_load_si256(reinterpret_cast<const __m256i*>(adv));
      accept = _mm256_load_si256(reinterpret_cast<const __m256i*>(acc));
    }
    unsigned accepted = bits(accept);
    if (accepted) {
      alignas(32) int32_t ps[8], wps[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(ps), p);
      _mm256_store_si256(reinterpret_cast<__m256i*>(wps), wp);
      for (unsigned m = accepted; m; m &= m - 1) {
        int l = __builtin_ctz(m);
        records[wps[l]] = ps[l];
      }
    }
    wp = _mm256_sub_epi32(wp, accept);  // accept lanes are -1
    advance = _mm256_add_epi32(advance, _mm256_and_si256(accept, _mm256_and_si256(g, low8)));
    p = _mm256_add_epi32(p, _mm256_and_si256(active, advance));
    tab = _mm256_blendv_epi8(tab, _mm256_srli_epi32(g, 8), accept);
    ci = _mm256_sub_epi32(ci, accept);
    ci = _mm256_blendv_epi8(ci, cbase, _mm256_cmpeq_epi32(ci, cend));
    g = _mm256_mask_i32gather_epi32(g, program, ci, accept, 4);
    unsigned done = active_bits & bits(_mm256_cmpeq_epi32(wp, wend));
    if (done) {
      event.done = done;
      break;
    }
  }
  _mm256_store_si256(reinterpret_cast<__m256i*>(L.p), p);
  _mm256_store_si256(reinterpret_cast<__m256i*>(L.tab), tab);
  _mm256_store_si256(reinterpret_cast<__m256i*>(L.ci), ci);
  _mm256_store_si256(reinterpret_cast<__m256i*>(L.wp), wp);
  ctx.steps += steps;
  ctx.attempts += steps * __builtin_popcount(active_bits);
  return event;
}

}  // namespace batch_internal
}  // namespace drevel

#else

#include "fast/batch/batch_walk.h"

namespace drevel {
namespace batch_internal {
walk_event walk_avx2(walk_lanes& L, walk_context& ctx) { return walk_scalar(L, ctx); }
}  // namespace batch_internal
}  // namespace drevel

#endif
