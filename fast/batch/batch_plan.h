// A locus as the batch engine walks and evaluates it: the per-site engine's
// draw plan (which branch each cell takes, the kernel's layout, the bound's
// constants) seen as a chain of rejection-branch cells with product runs
// between them, whose positions follow from the rejection cells' accepted
// attempts.
#ifndef DREVEL_FAST_BATCH_BATCH_PLAN_H
#define DREVEL_FAST_BATCH_BATCH_PLAN_H

#include <cstdint>
#include <vector>

#include "fast/draw/draw_plan.h"
#include "fast/batch/batch_locus.h"

namespace drevel {

// Where a product-branch cell's uniforms lie in a draw: n uniforms after
// `offset` further ones, counted from the draw's start (anchor -1) or from
// the end of rejection cell `anchor`'s accepted attempt.
struct batch_product {
  int anchor, offset, n;
};

struct batch_plan {
  // The per-site plan: its kernel layout (product cells in `slot` order,
  // then the rejection cells), d, D and the bound's scale.
  draw_plan plan;
  std::vector<double> alpha;  // 0..c, the locus's own copy
  double L_hyp = 0;
  int32_t maxmc = 0, minmc = 0;
  double precision = 0;
  int c = 0;
  int r = 0;     // rejection-branch cells
  int lead = 0;  // uniforms of the product cells before the first rejection cell
  // after[i]: uniforms of the product cells between rejection cell i and
  // the next (the last: up to the draw's end).
  std::vector<int> after;
  std::vector<double> shapes;  // of the rejection-branch cells, in order
  int product_uniforms = 0;  // of a whole draw
  std::vector<batch_product> products;  // by kernel slot, 0..np-1
  // What one draw reads on average, for choosing the path.
  double expected_uniforms = 0;
};

// The plan of a locus whose shapes are all >= 1 (and finite).
batch_plan make_batch_plan(const batch_locus& locus);

// One draw's kernel inputs in the plan's layout: products of uniforms for
// the product cells, gamadev's deviates for the rejection cells, from the
// uniforms U, the draw's start and its accepted attempts' positions.
void draw_inputs(const batch_plan& bp, const double* U, int64_t start, const int32_t* accepted,
                 double* G);

}  // namespace drevel

#endif
