// Portable evaluation of the draw's log-kernel, and the choice of path.
#include "evidence/fast_kernel.h"

#include "evidence/fast_kernel_scalar.h"

namespace drevel {

// The scalar counterpart of the AVX2 loop: every value is the one the vector
// lanes produce; only the order of the sums differs.
// Logarithms cell by cell: the groups are an optimisation of the AVX2 path.
fast_kernel_result fast_kernel_portable(double* G, int np, int n, const double* d, double D,
                                        const product_group*, int, bool short_log) {
  kernel_sums s;
  scalar_products(G, 0, np, s, short_log);
  scalar_cells(G, d, 0, n, s);
  return close_kernel(s, D, short_log);
}

bool cpu_has_avx2() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

fast_kernel_fn select_fast_kernel(bool portable) {
#if defined(__x86_64__) || defined(__i386__)
  if (!portable && cpu_has_avx2()) return fast_kernel_avx2;
#endif
  return fast_kernel_portable;
}

}  // namespace drevel
