// The log-kernel of one draw for the fast engine, from the gamma deviates
// before normalisation: with G the deviates, S their sum and d = alpha - 1,
//   L = sum d ln(G/S) = sum d ln G - D ln S,  D = sum d,
// which is LogDNFunc of the normalised draw up to rounding.  The evaluation
// also returns what the error bound of docs/fast-engine.md needs.
#ifndef DREVEL_EVIDENCE_FAST_KERNEL_H
#define DREVEL_EVIDENCE_FAST_KERNEL_H

namespace drevel {

struct product_group;

struct fast_kernel_result {
  double L;   // the log-kernel, within the bound of the literal LogDNFunc value
  double A;   // at least sum |d ln G| + |D ln S|, the magnitude the bound scales with
  double extra = 0;  // a further absolute error, added to the bound
  bool ok;    // false when an input lies outside the range the bound covers
};

// Cells 0..np-1 hold products P of uniforms (product-branch cells) and are
// replaced by G = -ln P; cells np..n-1 already hold deviates G.  d[0..n) are
// the cells' alpha - 1 in the same order and D their sum.  ok is false when
// some P is below DBL_MIN (a zero uniform), some G is outside [2^-500, 2^450]
// or the result is not finite: the draw must then be evaluated literally.
// groups[0..ngroups): the product cells sharing one d, contiguous (see
// draw_plan); the AVX2 path then takes each group's sum d ln G as d times
// the logarithm of the group's product, a few logarithms per group instead
// of one per cell.  ngroups = 0 takes every cell's logarithm.  short_log:
// G = -ln P by fast_log_short, whose error the result's extra carries
// (worth it while D is moderate; draw_plan decides).
using fast_kernel_fn = fast_kernel_result (*)(double* G, int np, int n, const double* d,
                                              double D, const product_group* groups,
                                              int ngroups, bool short_log);

fast_kernel_result fast_kernel_portable(double* G, int np, int n, const double* d, double D,
                                        const product_group* groups, int ngroups,
                                        bool short_log);

// The same formulas four lanes at a time with AVX2 (no FMA), for processors
// that have it; identical G lane by lane, sums in another order.
fast_kernel_result fast_kernel_avx2(double* G, int np, int n, const double* d, double D,
                                    const product_group* groups, int ngroups, bool short_log);

// True when the processor can run fast_kernel_avx2.
bool cpu_has_avx2();

// fast_kernel_avx2 when the processor has AVX2 and portable is false, else
// fast_kernel_portable.
fast_kernel_fn select_fast_kernel(bool portable);

}  // namespace drevel

#endif
