// The checks that keep a locus computation from reporting results that double
// precision could not give: every mode runs them through locus_evidence.
//
// Two places lose a locus to rounding.  The posterior mode's last cell is
// one minus the sum of the others, held to a multiple of 2^-53 (1.1e-16);
// with a zero count it is worth 0.0001 / total, so at a total of 1e10 it is
// still within about 1% (two alleles), at 1e11 off by 11%, and from about
// 4.5e11 it can round to 0 (L_max = -inf); sums of counts near 1.8e308
// overflow.  The equilibrium fit's last allele frequency is likewise one
// minus the others, from a linear system whose condition grows as the total
// over that allele's count: when the last allele has no or almost no counts
// it comes out zero or negative (L_hyp = -inf or NaN) from totals of about
// 1.9e4 (three alleles, the last one absent; 1e8 when it is seen once).
// Below those, L_max and L_hyp are accurate to a few units of
// DBL_EPSILON * c * (total + |L_max|), and a locus at equilibrium can have
// L_max below L_hyp by that much: a tie, not a fault.
#ifndef DREVEL_SITES_LOCUS_CHECK_H
#define DREVEL_SITES_LOCUS_CHECK_H

#include <string>

namespace drevel {

enum class locus_fault {
  none,
  total_not_finite,     // the counts' sum overflows
  total_too_large,      // above largest_safe_total
  mode_not_finite,      // L_max is not finite
  fit_not_finite,       // L_hyp is not finite
  maxima_out_of_order,  // L_hyp above L_max by more than rounding
  evidence_not_finite,  // E is not a number in [0, 1]
};

// The largest total of counts a locus computation accepts (fractional counts
// up to a thousandth a cell above it pass too).
constexpr double largest_safe_total = 1e10;

// The total S = sum over t = 1..c of (alpha[t] - 1), in increasing t as the
// posterior mode sums it, into *total; total_not_finite when it is not
// finite, total_too_large when the counts in it (S less 0.0001 a cell) add up
// to more than largest_safe_total, else none.
locus_fault check_total(const double* alpha, int c, double* total);

// After both maxima: mode_not_finite, fit_not_finite, or maxima_out_of_order
// when L_hyp - L_max > 4 * c * DBL_EPSILON * (total + |L_max|), else none.
locus_fault check_maxima(double L_max, double L_hyp, double total, int c);

// After the Monte Carlo estimate: evidence_not_finite unless 0 <= E <= 1.
locus_fault check_evidence(double E);

// One line (no prefix, no line end) that names the cause of a fault, for the
// locus of k alleles with parameters alpha (cells 1..c, count + 1.0001) and
// the values the computation reached (those it did not reach are not used).
std::string describe_locus_fault(locus_fault fault, const double* alpha, int k, int c,
                                 double L_max, double L_hyp, double E);

}  // namespace drevel

#endif
