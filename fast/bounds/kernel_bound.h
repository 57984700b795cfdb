// The bound B on |L_fast - L_literal| of one draw (docs/fast-engine.md, "The
// kernel bound" and "The grouped cells' term"): every term of
//   B = 8 (eps + gamma_{c+2}) (D + A) + extra,
//   extra = 2.2 eps_s D                        (product cells by fast_log_short)
//         + 8 eps sum_g |d_g| + 2u (D_p + A~)  (product cells grouped by d)
// is assembled here and nowhere else.  The kernel reports the draw's
// magnitudes (kernel_magnitude); the engine counts a hit when
// fl(L - B) >= L_hyp, a miss when fl(L + B) < L_hyp, and replays the draw
// literally otherwise.
#ifndef DREVEL_FAST_BOUNDS_KERNEL_BOUND_H
#define DREVEL_FAST_BOUNDS_KERNEL_BOUND_H

#include "fast/bounds/error_model.h"
#include "fast/bounds/fast_log.h"

namespace drevel {

// What one draw's evaluation adds to its bound.
struct kernel_magnitude {
  double A = 0;  // at least sum |d ln G| + |D ln S|, A~ for the grouped cells included
  // The grouped product cells (all 0 when the kernel took every logarithm):
  double group_d = 0;  // sum over the groups of |d_g|
  double group_D = 0;  // D_p = sum of |d| over the grouped cells
  double group_A = 0;  // A~ = group_magnitude(...)
};

class kernel_bound {
 public:
  kernel_bound() = default;
  // The bound of a draw of c cells with D = sum |alpha - 1|; short_log: the
  // product cells' deviates come from fast_log_short.
  kernel_bound(int c, double D, bool short_log);

  // B for a draw whose kernel reported m.
  double operator()(const kernel_magnitude& m) const {
    return scale_ * (D_ + m.A) + (short_extra_ + group_term(m));
  }

  // For draws without grouped cells (vectors of them at once), B is
  // scale() (D() + A) + constant(), the very operations of operator().
  double scale() const { return scale_; }
  double D() const { return D_; }
  double constant() const { return short_extra_ + group_term(kernel_magnitude()); }

  // What the grouped product cells add: 8 eps sum_g |d_g| for the
  // logarithms of the groups' products (five lanes of values in [1, 2) per
  // group), 2u (D_p + A~) for the products' roundings and the lane sums.
  // It bounds |sum_g d_g l_g - sum_t d_t ln G_t| for the grouped cells, l_g
  // the kernel's logarithm of group g's product.
  static double group_term(const kernel_magnitude& m) {
    return 8 * fast_eps * m.group_d + 2 * unit_roundoff * (m.group_D + m.group_A);
  }

  // A~ = D_p max(|ln minG|, |ln maxG|) (1 + 2^-40) from lmin = |fast_log(minG)|
  // and lmax = |fast_log(maxG)| of the grouped cells' smallest and largest G:
  // it bounds their sum of |d ln G| (|ln| is largest at the ends of an
  // interval; the factor covers fast_log's error).
  static double group_magnitude(double D_p, double lmin, double lmax) {
    return D_p * (lmin > lmax ? lmin : lmax) * (1 + 0x1p-40);
  }

  // Whether the product cells' deviates may come from fast_log_short: while
  // the error it adds, 2.2 eps_s D, stays below 10^-5, far below the spread
  // of L (D up to about 1200).
  static bool short_log_fits(double D) { return 2.2 * fast_short_eps * D <= 1e-5; }

 private:
  double scale_ = 0;  // 8 (eps + gamma_{c+2})
  double D_ = 0;
  double short_extra_ = 0;  // 2.2 eps_s D, or 0
};

}  // namespace drevel

#endif
