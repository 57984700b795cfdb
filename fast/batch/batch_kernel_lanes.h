// The block kernel written once over a vector of N doubles, one draw a lane:
// per lane exactly the operations of fast_kernel_portable (products left to
// right, G = -fast_log(P), then the cells in the plan's layout, each sum in
// cell order), so every lane's L, A and ok are the scalar kernel's to the
// last bit, as fast_log's lanes are fast_log's (fast/bounds/fast_log.h).
// Include only from the per-path units, whose functions carry the path's
// target attribute (the template is inlined there).
//
// The uniforms a draw reads lie at its own positions, so each lane's value
// is loaded on its own, straight into the vector (gather_lanes): lanes
// written one by one to memory and read back as one vector would wait on
// the store of every lane.
#ifndef DREVEL_FAST_BATCH_BATCH_KERNEL_LANES_H
#define DREVEL_FAST_BATCH_BATCH_KERNEL_LANES_H

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <utility>

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

// out = the vector of U[pos[i stride] + add] over the lanes i in I (by
// reference, as fast_log_lanes: no vector crosses a call outside the path's
// own functions).
template <class V, int... I>
__attribute__((always_inline)) inline void gather_lanes(V& out, const double* U,
                                                        const int32_t* pos, int stride, int add,
                                                        std::integer_sequence<int, I...>) {
  out = V{U[static_cast<int64_t>(pos[I * stride]) + add]...};
}

// In two passes over the block: first every draw's G, cell by cell (the
// loads from the draws' scattered positions, whose latency the next draws'
// loads hide), then each draw's logarithms and sums from G in memory (pure
// arithmetic on whole vectors).  One pass per vector of draws left each
// vector's arithmetic waiting on its own loads.
template <class V, int N>
__attribute__((always_inline)) inline void block_kernel_lanes(const batch_plan& bp,
                                                              const double* U,
                                                              const int32_t* accepted,
                                                              const int32_t* starts, int n,
                                                              block_values* out) {
  using Bits = typename fast_log_detail::bits_type<V>::type;
  typedef uint8_t u8xN __attribute__((vector_size(N)));
  const draw_plan& plan = bp.plan;
  const int np = plan.np, c = bp.c, r = bp.r;
  const double* d = plan.d.data();
  const Bits abs_mask = Bits{} + 0x7fffffffffffffffULL;
  const double bound_scale = plan.bound.scale(), bound_D = plan.bound.D();
  const double bound_constant = plan.bound.constant(), L_hyp = bp.L_hyp;
  using lanes = std::make_integer_sequence<int, N>;
  // Vectors cross no call (an AVX vector passed by value changes the ABI
  // outside the path's own functions): loads and stores are written out.
  for (int j0 = 0; j0 < n; j0 += N) {
    V minP = V{} + 1.0;
    for (int s = 0; s < np; s++) {
      const batch_product& src = bp.products[static_cast<size_t>(s)];
      // From the draw's start, or from the end of an accepted attempt.
      const int32_t* pos = src.anchor < 0 ? starts + j0 : accepted + j0 * r + src.anchor;
      const int stride = src.anchor < 0 ? 1 : r;
      const int base = (src.anchor < 0 ? 0 : 3) + src.offset;
      // gamadev's x = 1.0; x *= u ... : 1.0 u1 = u1, then left to right.
      V P = V{}, u = V{};
      gather_lanes(P, U, pos, stride, base + 1, lanes{});
      for (int k = 2; k <= src.n; k++) {
        gather_lanes(u, U, pos, stride, base + k, lanes{});
        P = P * u;
      }
      minP = P < minP ? P : minP;
      V g;
      if (plan.short_log)
        fast_log_lanes<4>(P, g);
      else
        fast_log_lanes<8>(P, g);
      g = -g;
      __builtin_memcpy(out->G[s] + j0, &g, sizeof g);
    }
    __builtin_memcpy(out->minP + j0, &minP, sizeof minP);
    for (int t = 0; t < r; t++) {
      const int32_t* a = accepted + j0 * r + t;
      V u1 = V{}, u2 = V{};
      gather_lanes(u1, U, a, r, 1, lanes{});
      gather_lanes(u2, U, a, r, 2, lanes{});
      const rejection_cell& cell = plan.rejection[static_cast<size_t>(t)];
      V y = ((u2 + u2) - 1.0) / ((u1 + u1) - 1.0);
      V x = cell.s * y + cell.am;
      __builtin_memcpy(out->G[np + t] + j0, &x, sizeof x);
    }
  }
  for (int j0 = 0; j0 < n; j0 += N) {
    V sL = V{}, sA = V{}, S = V{}, minG = V{} + 0x1p1000, maxG = V{};
    for (int t = 0; t < c; t++) {
      V g, l;
      __builtin_memcpy(&g, out->G[t] + j0, sizeof g);
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
    // The scalar kernel's ok, lane by lane from compare masks (|L| <= DBL_MAX
    // is isfinite(L): NaN compares false).
    V absL = __builtin_bit_cast(V, Bits(__builtin_bit_cast(Bits, L) & abs_mask));
    V minP;
    __builtin_memcpy(&minP, out->minP + j0, sizeof minP);
    auto ok = (minP >= DBL_MIN) & (minG >= 0x1p-500) & (maxG <= 0x1p450) & (absL <= DBL_MAX);
    u8xN flags = __builtin_convertvector(ok & 1, u8xN);
    __builtin_memcpy(out->ok + j0, &flags, sizeof flags);
    // The decider's bound, as the scalar kernel takes it draw by draw.
    V B = bound_scale * (bound_D + A) + bound_constant;
    auto hit = (L - B >= L_hyp), miss = (L + B < L_hyp);
    auto settled = ok & (hit | miss);
    flags = __builtin_convertvector(hit & settled & 1, u8xN);
    __builtin_memcpy(out->hit + j0, &flags, sizeof flags);
    flags = __builtin_convertvector(~settled & 1, u8xN);
    __builtin_memcpy(out->open + j0, &flags, sizeof flags);
  }
}

}  // namespace batch_internal
}  // namespace drevel

#endif
