// The fixed part of a Dirichlet draw for the fast engine: which gamma branch
// each cell takes, how many uniforms a product-branch cell takes, and the
// order in which the deviates are laid out for the kernel.
#ifndef DREVEL_FAST_DRAW_DRAW_PLAN_H
#define DREVEL_FAST_DRAW_DRAW_PLAN_H

#include <cstdint>
#include <vector>

#include "fast/bounds/fast_kernel.h"
#include "fast/bounds/kernel_bound.h"
#include "fast/bounds/rejection_cell.h"

namespace drevel {

// A stretch of consecutive product-branch cells: they take a fixed number
// of uniforms, so each cell's first uniform lies at a fixed offset from the
// stretch's start.  first..first+count-1 index product_cells.
struct product_run {
  int first, count;
  int uniforms;  // of the whole run
  // The run's cells grouped by how many uniforms they take, so that each
  // group multiplies a fixed number of factors without a branch: those
  // taking n uniforms are by_count[by_count_first[n - 1] .. by_count_first[n]).
  int by_count_first[6];
};

struct product_cell {
  int offset;     // of its first uniform from the run's start
  int uniforms;   // 1..5
  int slot;       // its index in the kernel layout
};

// A product cell as the grouped loops see it: where its uniforms start in
// the run and where its product goes (its index in draw order).
struct product_slot {
  int offset;
  int out;
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
  std::vector<product_slot> by_count;       // run by run, grouped by uniforms
  std::vector<rejection_cell> rejection;    // rejection-branch cells in order
  std::vector<double> d;                    // alpha - 1 in kernel layout
  double D = 0;                             // sum of |d|
  // The product cells sharing one d, contiguous in the kernel layout (the
  // layout orders product cells by d); empty when there are more than
  // max_product_groups distinct d.
  std::vector<product_group> groups;
  // The product cells' G by fast_log_short (kernel_bound::short_log_fits).
  bool short_log = false;
  kernel_bound bound;  // of every draw of the plan
  int max_run_uniforms = 0;

  // What the kernel reads; points into this plan.
  kernel_layout layout() const {
    return {np, c, d.data(), D, groups.data(), static_cast<int>(groups.size()), short_log};
  }
};

// The plan of alpha (cells 1..c, every shape >= 1).
draw_plan make_draw_plan(const double* alpha, int c);

// The products of one run's cells into P (draw order), from its uniforms
// W[1..run.uniforms]: gamadev's x = 1.0; x *= u; ... taken n times, whose
// first factor 1.0 * u1 is u1 exactly, so the left-to-right product of the
// cell's n uniforms is gamadev's to the last bit.
__attribute__((always_inline)) inline void run_products(const draw_plan& plan,
                                                       const product_run& run, const double* W,
                                                       double* P) {
  const product_slot* g = plan.by_count.data();
  const int* f = run.by_count_first;
  for (int i = f[0]; i < f[1]; i++) P[g[i].out] = W[g[i].offset + 1];
  for (int i = f[1]; i < f[2]; i++) {
    const double* w = W + g[i].offset;
    P[g[i].out] = w[1] * w[2];
  }
  for (int i = f[2]; i < f[3]; i++) {
    const double* w = W + g[i].offset;
    P[g[i].out] = w[1] * w[2] * w[3];
  }
  for (int i = f[3]; i < f[4]; i++) {
    const double* w = W + g[i].offset;
    P[g[i].out] = w[1] * w[2] * w[3] * w[4];
  }
  for (int i = f[4]; i < f[5]; i++) {
    const double* w = W + g[i].offset;
    P[g[i].out] = w[1] * w[2] * w[3] * w[4] * w[5];
  }
}

}  // namespace drevel

#endif
