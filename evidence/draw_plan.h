// The fixed part of a Dirichlet draw for the fast engine: which gamma branch
// each cell takes, how many uniforms a product-branch cell takes, and the
// order in which the deviates are laid out for the kernel.
#ifndef DREVEL_EVIDENCE_DRAW_PLAN_H
#define DREVEL_EVIDENCE_DRAW_PLAN_H

#include <cstdint>
#include <vector>

#include "evidence/fast_gamma.h"

namespace drevel {

struct draw_plan {
  int c = 0;   // cells
  int np = 0;  // product-branch cells; they come first in the kernel layout
  // Per cell in draw order: the number of uniforms (1..5) of a product-branch
  // cell, 0 for a rejection-branch cell.
  std::vector<int> uniforms;
  std::vector<rejection_cell> rejection;  // rejection-branch cells in order
  std::vector<double> d;                  // alpha - 1 in kernel layout
  double D = 0;                           // sum of |d|
  double bound_scale = 0;                 // 8 (eps + gamma_{c+2})
};

// The plan of alpha (cells 1..c, every shape >= 1).
draw_plan make_draw_plan(const double* alpha, int c);

// Takes one draw's uniforms from X on: products of uniforms for the
// product-branch cells into G[0..np), rejection deviates into G[np..c), in
// draw order within each part.  X ends past the draw's last uniform.
void walk_draw(const draw_plan& plan, uint64_t& X, double* G, int64_t* literal_tests);

// The error bound on |L_fast - L_literal| for a draw with magnitude A.
inline double kernel_bound(const draw_plan& plan, double A) {
  return plan.bound_scale * (plan.D + A);
}

}  // namespace drevel

#endif
