// The walk on sixteen 32-bit lanes of AVX-512: each step gathers every
// lane's attempt word at its own position and the bounds of its bin from
// its own cell's table, decides all sixteen attempts at once, and moves
// every lane on by its attempt (2 or 3 uniforms, and the product cells'
// uniforms after an accepted one).  Lanes the tables leave open are decided
// one by one in scalar code.  Compiled with a per-function target attribute
// and chosen at run time only where the processor runs all the AVX-512
// subsets it names (cpu_features.h).
#if defined(__x86_64__) || defined(__i386__)

// GCC 12's AVX-512 intrinsics fill unused operands with _mm512_undefined_*,
// which its own -Wmaybe-uninitialized then reports inside the headers
// (clang, which builds the fuzz targets, has no such warning).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include "fast/batch/batch_walk.h"
#include "fast/stream/cpu_features.h"

#define DREVEL_AVX512 DREVEL_TARGET_AVX512_F_VL_BW_DQ

namespace drevel {
namespace batch_internal {

DREVEL_AVX512 walk_event walk_avx512(walk_lanes& L, walk_context& ctx) {
  const __m512i one = _mm512_set1_epi32(1), three = _mm512_set1_epi32(3);
  const __m512i low16 = _mm512_set1_epi32(0xffff), low8 = _mm512_set1_epi32(0xff);
  const __m512i bin_mask = _mm512_set1_epi32(stream_word::bin_mask);
  const __m512i skip_mask = _mm512_set1_epi32(2 * stream_word::max_disc_skip);
  const __m512i limit = _mm512_set1_epi32(ctx.limit);
  const int* words = reinterpret_cast<const int*>(ctx.words);
  const int* program = ctx.program;
  int* records = ctx.records;
  const __mmask16 active = static_cast<__mmask16>(L.active);
  __m512i p = _mm512_load_si512(L.p), tab = _mm512_load_si512(L.tab);
  __m512i ci = _mm512_load_si512(L.ci), wp = _mm512_load_si512(L.wp);
  const __m512i cbase = _mm512_load_si512(L.cbase), cend = _mm512_load_si512(L.cend);
  const __m512i wend = _mm512_load_si512(L.wend);
  // Each lane's program entry for its current cell, fetched one acceptance
  // ahead, so that the position's chain of dependent loads holds only the
  // word and the bound, not the program too.
  __m512i g = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), active, ci, program, 4);
  walk_event event;
  int64_t steps = 0;
  for (;;) {
    __mmask16 beyond = _mm512_mask_cmpge_epi32_mask(active, p, limit);
    if (beyond) {
      event.beyond = beyond;
      break;
    }
    steps++;
    {
      // Each lane's words some 25 steps ahead, four lanes a step: a lane
      // moves about 11 positions in four steps, less than a line's 16.
      alignas(64) int32_t ps[max_lanes];
      _mm512_store_si512(ps, p);
      int first = static_cast<int>(steps & 3) * 4;
      for (int l = first; l < first + 4; l++) {
        __builtin_prefetch(ctx.words + ps[l] + prefetch_ahead);
        // And their uniforms, which open attempts and the block kernel read.
        __builtin_prefetch(ctx.U + ps[l] + prefetch_ahead);
        __builtin_prefetch(ctx.U + ps[l] + prefetch_ahead + 8);
      }
    }
    __m512i w = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), active, p, words, 4);
    // The attempt the word leads to, past those outside the disc.
    p = _mm512_add_epi32(p, _mm512_and_si512(_mm512_srli_epi32(w, stream_word::skip_shift - 1),
                                             skip_mask));
    __m512i bin = _mm512_and_si512(w, bin_mask), t = _mm512_srli_epi32(w, 16);
    __m512i e = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), active,
                                            _mm512_add_epi32(tab, bin),
                                            reinterpret_cast<const int*>(ctx.tables->pool()), 4);
    __m512i lo = _mm512_and_si512(e, low16), hi = _mm512_srli_epi32(e, 16);
    __mmask16 accept = _mm512_mask_cmplt_epi32_mask(active, t, lo);
    __mmask16 reject = _mm512_mask_cmpge_epi32_mask(active, t, hi);
    // Two uniforms for an attempt discarded before u3 (hi = 0), else three.
    __m512i advance = _mm512_mask_sub_epi32(three, _mm512_cmpeq_epi32_mask(hi, _mm512_setzero_si512()),
                                            three, one);
    __mmask16 open = active & static_cast<__mmask16>(~(accept | reject));
    if (__builtin_expect(open != 0, 0)) {
      ctx.open_attempts += __builtin_popcount(open);
      alignas(64) int32_t ps[max_lanes], tabs[max_lanes], adv[max_lanes];
      _mm512_store_si512(ps, p);
      _mm512_store_si512(tabs, tab);
      _mm512_store_si512(adv, advance);
      for (unsigned m = open; m; m &= m - 1) {
        int l = __builtin_ctz(m);
        int a;
        if (open_attempt(ctx, tabs[l], ps[l], &a))
          accept = static_cast<__mmask16>(accept | (1u << l));
        adv[l] = a;
      }
      advance = _mm512_load_si512(adv);
    }
    _mm512_mask_i32scatter_epi32(records, accept, wp, p, 4);
    wp = _mm512_mask_add_epi32(wp, accept, wp, one);
    advance = _mm512_mask_add_epi32(advance, accept, advance, _mm512_and_si512(g, low8));
    p = _mm512_mask_add_epi32(p, active, p, advance);
    tab = _mm512_mask_srli_epi32(tab, accept, g, 8);
    ci = _mm512_mask_add_epi32(ci, accept, ci, one);
    ci = _mm512_mask_mov_epi32(ci, _mm512_cmpeq_epi32_mask(ci, cend), cbase);
    g = _mm512_mask_i32gather_epi32(g, accept, ci, program, 4);
    __mmask16 done = _mm512_mask_cmpeq_epi32_mask(active, wp, wend);
    if (done) {
      event.done = done;
      break;
    }
  }
  _mm512_store_si512(L.p, p);
  _mm512_store_si512(L.tab, tab);
  _mm512_store_si512(L.ci, ci);
  _mm512_store_si512(L.wp, wp);
  ctx.steps += steps;
  ctx.attempts += steps * __builtin_popcount(static_cast<unsigned>(active));
  return event;
}

}  // namespace batch_internal
}  // namespace drevel

#else

#include "fast/batch/batch_walk.h"

namespace drevel {
namespace batch_internal {
walk_event walk_avx512(walk_lanes& L, walk_context& ctx) { return walk_scalar(L, ctx); }
}  // namespace batch_internal
}  // namespace drevel

#endif
