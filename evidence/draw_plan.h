// The fixed part of a Dirichlet draw for the fast engine: which gamma branch
// each cell takes, how many uniforms a product-branch cell takes, and the
// order in which the deviates are laid out for the kernel.
#ifndef DREVEL_EVIDENCE_DRAW_PLAN_H
#define DREVEL_EVIDENCE_DRAW_PLAN_H

#include <cstdint>
#include <vector>

#include "evidence/squeeze.h"

namespace drevel {

// A stretch of consecutive product-branch cells: they take a fixed number
// of uniforms, so each cell's first uniform lies at a fixed offset from the
// stretch's start.  first..first+count-1 index product_cells.
struct product_run {
  int first, count;
  int uniforms;  // of the whole run
};

struct product_cell {
  int offset;     // of its first uniform from the run's start
  int uniforms;   // 1..5
};

// The draw in order: a product run (run >= 0) or one rejection-branch
// cell (run < 0).
struct draw_segment {
  int run;
};

struct draw_plan {
  int c = 0;   // cells
  int np = 0;  // product-branch cells; they come first in the kernel layout
  std::vector<draw_segment> segments;
  std::vector<product_run> runs;
  std::vector<product_cell> product_cells;  // in draw order
  std::vector<rejection_cell> rejection;    // rejection-branch cells in order
  std::vector<double> d;                    // alpha - 1 in kernel layout
  double D = 0;                             // sum of |d|
  double bound_scale = 0;                   // 8 (eps + gamma_{c+2})
  int max_run_uniforms = 0;
};

// The plan of alpha (cells 1..c, every shape >= 1).
draw_plan make_draw_plan(const double* alpha, int c);

// The error bound on |L_fast - L_literal| for a draw with magnitude A.
inline double kernel_bound(const draw_plan& plan, double A) {
  return plan.bound_scale * (plan.D + A);
}

}  // namespace drevel

#endif
