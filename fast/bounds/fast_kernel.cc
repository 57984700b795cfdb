// The portable evaluation of the draw's log-kernel.
#include "fast/bounds/fast_kernel.h"

#include "fast/bounds/fast_kernel_scalar.h"

namespace drevel {

// The scalar counterpart of the AVX2 loop: every value is the one the vector
// lanes produce; only the order of the sums differs.
fast_kernel_result fast_kernel_portable(double* G, const kernel_layout& layout) {
  kernel_sums s;
  scalar_products(G, 0, layout.np, s, layout.short_log);
  scalar_cells(G, layout.d, 0, layout.n, s);
  kernel_close c = close_kernel(s, layout.D);
  fast_kernel_result r;
  r.L = c.L;
  r.magnitude.A = c.A;
  r.ok = c.ok;
  return r;
}

}  // namespace drevel
