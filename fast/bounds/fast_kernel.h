// The log-kernel of one draw for the fast engine, from the gamma deviates
// before normalisation: with G the deviates, S their sum and d = alpha - 1,
//   L = sum d ln(G/S) = sum d ln G - D ln S,  D = sum d,
// which is LogDNFunc of the normalised draw up to rounding.  The evaluation
// also reports the magnitudes that the draw's error bound needs
// (kernel_bound.h; docs/fast-engine.md, "The kernel" and "The kernel bound").
#ifndef DREVEL_FAST_BOUNDS_FAST_KERNEL_H
#define DREVEL_FAST_BOUNDS_FAST_KERNEL_H

#include "fast/bounds/kernel_bound.h"

namespace drevel {

// Product cells with one d = alpha - 1, at kernel slots first..end-1.
struct product_group {
  int first, end;
  double d;
};
constexpr int max_product_groups = 8;

// A draw's cells as the kernel reads them: cells 0..np-1 take the product
// branch, np..n-1 the rejection branch; d[0..n) are the cells' alpha - 1 in
// that order and D their sum.  groups[0..ngroups): the product cells sharing
// one d, contiguous; the AVX2 kernel then takes each group's sum d ln G as d
// times the logarithm of the group's product, a few logarithms per group
// instead of one per cell (ngroups = 0 takes every cell's logarithm).
// short_log: the product cells' G = -ln P by fast_log_short, whose error the
// bound carries (kernel_bound::short_log_fits says when that pays).
struct kernel_layout {
  int np = 0, n = 0;
  const double* d = nullptr;
  double D = 0;
  const product_group* groups = nullptr;
  int ngroups = 0;
  bool short_log = false;
};

struct fast_kernel_result {
  double L;  // the log-kernel, within the bound of the literal LogDNFunc value
  kernel_magnitude magnitude;  // for the bound
  bool ok;  // false when an input lies outside the range the bound covers
};

// G[0..np) hold products P of uniforms and are replaced by G = -ln P;
// G[np..n) already hold deviates.  ok is false when some P is below DBL_MIN
// (a zero uniform), some G is outside [2^-500, 2^450] or the result is not
// finite: the draw must then be evaluated literally.
using fast_kernel_fn = fast_kernel_result (*)(double* G, const kernel_layout& layout);

// Cell by cell in scalar code (the groups are an optimisation of the AVX2
// path and are not used).
fast_kernel_result fast_kernel_portable(double* G, const kernel_layout& layout);

// The same formulas four lanes at a time with AVX2 (no FMA), with the
// groups; identical G lane by lane, sums in another order.  Only for
// processors that have AVX2 (fast/stream/cpu_dispatch.h chooses); x86 only.
fast_kernel_result fast_kernel_avx2(double* G, const kernel_layout& layout);

}  // namespace drevel

#endif
