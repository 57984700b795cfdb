// The constant part of the kernel bound.
#include "fast/bounds/kernel_bound.h"

namespace drevel {

kernel_bound::kernel_bound(int c, double D, bool short_log)
    : scale_(8 * (fast_eps + rounding_gamma(static_cast<double>(c) + 2))),
      D_(D),
      short_extra_(short_log ? 2.2 * fast_short_eps * D : 0) {}

}  // namespace drevel
