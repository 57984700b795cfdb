// The block kernel written once over a vector of N doubles, one draw a lane:
// per lane exactly the operations of fast_kernel_portable (products left to
// right, G = -fast_log(P), then the cells in the plan's layout, each sum in
// cell order), so every lane's L, A and ok are the scalar kernel's to the
// last bit, as fast_log's lanes are fast_log's (fast/bounds/fast_log.h).
// Include only from the per-path units, whose functions carry the path's
// target attribute (the template is inlined there).
#ifndef DREVEL_FAST_BATCH_BATCH_KERNEL_LANES_H
#define DREVEL_FAST_BATCH_BATCH_KERNEL_LANES_H

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "fast/batch/batch_kernel.h"
#include "fast/bounds/fast_log.h"

namespace drevel {

// Eight doubles, for the AVX-512 lanes.
typedef double f64x8 __attribute__((vector_size(64)));
typedef uint64_t u64x8 __attribute__((vector_size(64)));

namespace fast_log_detail {
template <>
struct bits_type<f64x8> {
  using type = u64x8;
};
}  // namespace fast_log_detail

namespace batch_internal {

template <class V, int N>
__attribute__((always_inline)) inline void block_kernel_lanes(const batch_plan& bp,
                                                              const double* U,
                                                              const int32_t* accepted,
                                                              const int32_t* starts, int n,
                                                              block_values* out) {
  using Bits = typename fast_log_detail::bits_type<V>::type;
  const draw_plan& plan = bp.plan;
  const int np = plan.np, c = bp.c, r = bp.r;
  const double* d = plan.d.data();
  const Bits abs_mask = Bits{} + 0x7fffffffffffffffULL;
  V G[program_stride];
  alignas(64) double lane[N], lane2[N];
  for (int j0 = 0; j0 < n; j0 += N) {
    V minP = V{} + 1.0;
    for (int s = 0; s < np; s++) {
      const batch_product& src = bp.products[static_cast<size_t>(s)];
      for (int i = 0; i < N; i++) {
        const int j = j0 + i;
        int64_t q = (src.anchor < 0 ? starts[j] : accepted[j * r + src.anchor] + 3) + src.offset;
        // gamadev's x = 1.0; x *= u ... : 1.0 u1 = u1, then left to right.
        double x = U[q + 1];
        for (int k = 2; k <= src.n; k++) x *= U[q + k];
        lane[i] = x;
      }
      V P;
      __builtin_memcpy(&P, lane, sizeof P);
      minP = P < minP ? P : minP;
      V g;
      if (plan.short_log)
        fast_log_lanes<4>(P, g);
      else
        fast_log_lanes<8>(P, g);
      G[s] = -g;
    }
    for (int t = 0; t < r; t++) {
      for (int i = 0; i < N; i++) {
        const int64_t a = accepted[(j0 + i) * r + t];
        lane[i] = U[a + 1];
        lane2[i] = U[a + 2];
      }
      V u1, u2;
      __builtin_memcpy(&u1, lane, sizeof u1);
      __builtin_memcpy(&u2, lane2, sizeof u2);
      const rejection_cell& cell = plan.rejection[static_cast<size_t>(t)];
      V y = ((u2 + u2) - 1.0) / ((u1 + u1) - 1.0);
      G[np + t] = cell.s * y + cell.am;
    }
    V sL = V{}, sA = V{}, S = V{}, minG = V{} + 0x1p1000, maxG = V{};
    for (int t = 0; t < c; t++) {
      V g = G[t], l;
      fast_log_lanes<8>(g, l);
      V term = d[t] * l;
      sL = sL + term;
      sA = sA + __builtin_bit_cast(V, Bits(__builtin_bit_cast(Bits, term) & abs_mask));
      S = S + g;
      minG = g < minG ? g : minG;
      maxG = g > maxG ? g : maxG;
    }
    V lS;
    fast_log_lanes<8>(S, lS);
    V DlS = plan.D * lS;
    V L = sL - DlS;
    V A = sA + __builtin_bit_cast(V, Bits(__builtin_bit_cast(Bits, DlS) & abs_mask));
    __builtin_memcpy(out->L + j0, &L, sizeof L);
    __builtin_memcpy(out->A + j0, &A, sizeof A);
    alignas(64) double mp[N], mn[N], mx[N];
    __builtin_memcpy(mp, &minP, sizeof minP);
    __builtin_memcpy(mn, &minG, sizeof minG);
    __builtin_memcpy(mx, &maxG, sizeof maxG);
    for (int i = 0; i < N; i++)
      out->ok[j0 + i] = mp[i] >= DBL_MIN && mn[i] >= 0x1p-500 && mx[i] <= 0x1p450 &&
                        std::isfinite(out->L[j0 + i]);
  }
}

}  // namespace batch_internal
}  // namespace drevel

#endif
