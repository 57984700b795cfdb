#include "fast/batch/batch_plan.h"

#include "fast/bounds/fast_kernel.h"

namespace drevel {

batch_plan make_batch_plan(const batch_locus& locus) {
  batch_plan bp;
  bp.c = locus.c;
  bp.alpha.assign(locus.alpha, locus.alpha + locus.c + 1);
  bp.L_hyp = locus.L_hyp;
  bp.maxmc = locus.maxmc;
  bp.minmc = locus.minmc;
  bp.precision = locus.precision;
  bp.plan = make_draw_plan(bp.alpha.data(), bp.c);
  const draw_plan& plan = bp.plan;
  bp.r = static_cast<int>(plan.rejection.size());
  bp.after.assign(static_cast<size_t>(bp.r), 0);
  for (int m = 1; m <= bp.c; m++)
    if (bp.alpha[static_cast<size_t>(m)] >= 6) bp.shapes.push_back(bp.alpha[static_cast<size_t>(m)]);
  bp.products.resize(static_cast<size_t>(plan.np));
  // The draw in order: each product run hangs on the rejection cell before
  // it, or on the draw's start.
  int anchor = -1;
  for (const draw_segment& seg : plan.segments) {
    if (seg.run < 0) {
      anchor++;
      continue;
    }
    const product_run& run = plan.runs[static_cast<size_t>(seg.run)];
    int base = anchor < 0 ? bp.lead : bp.after[static_cast<size_t>(anchor)];
    for (int k = run.first; k < run.first + run.count; k++) {
      const product_cell& cell = plan.product_cells[static_cast<size_t>(k)];
      bp.products[static_cast<size_t>(cell.slot)] = {anchor, base + cell.offset, cell.uniforms};
    }
    if (anchor < 0)
      bp.lead += run.uniforms;
    else
      bp.after[static_cast<size_t>(anchor)] += run.uniforms;
    bp.product_uniforms += run.uniforms;
  }
  // About 2.2 attempts of 2.8 uniforms per rejection-branch deviate.
  bp.expected_uniforms = bp.product_uniforms + 6.5 * bp.r;
  return bp;
}

void draw_inputs(const batch_plan& bp, const double* U, int64_t start, const int32_t* accepted,
                 double* G) {
  const draw_plan& plan = bp.plan;
  for (int s = 0; s < plan.np; s++) {
    const batch_product& p = bp.products[static_cast<size_t>(s)];
    int64_t q = (p.anchor < 0 ? start : accepted[p.anchor] + 3) + p.offset;
    // gamadev's x = 1.0; x *= u ... : 1.0 u1 = u1, then left to right.
    double x = U[q + 1];
    for (int j = 2; j <= p.n; j++) x *= U[q + j];
    G[s] = x;
  }
  for (int i = 0; i < bp.r; i++) {
    const rejection_cell& cell = plan.rejection[static_cast<size_t>(i)];
    int64_t a = accepted[i];
    double u1 = U[a + 1], u2 = U[a + 2];
    G[plan.np + i] = cell.s * (((u2 + u2) - 1) / ((u1 + u1) - 1)) + cell.am;
  }
}

}  // namespace drevel
