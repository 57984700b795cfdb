#include "locus/locus_check.h"

#include <cfloat>
#include <cmath>
#include <cstdio>

#include "evidence/dirichlet_prior.h"

namespace drevel {

namespace {

std::string format(const char* pattern, double a, double b = 0, double c = 0) {
  char buf[512];
  std::snprintf(buf, sizeof buf, pattern, a, b, c);
  return buf;
}

// The counts as the user wrote them, without the 0.0001 that alpha adds to
// each (to the last digits: alpha holds the parameter rounded).
double sum_of_counts(const double* alpha, int c) {
  double S = 0;
  for (int t = 1; t <= c; t++) S = S + (alpha[t] - dirichlet_pseudo_count);
  return S;
}

}  // namespace

locus_fault check_total(const double* alpha, int c, double* total) {
  double S = 0;
  for (int t = 1; t <= c; t++) S = S + (alpha[t] - 1);
  *total = S;
  if (!std::isfinite(S)) return locus_fault::total_not_finite;
  // S holds 0.0001 for each cell on top of the counts, and the rounding of
  // count + dirichlet_pseudo_count: a margin of 0.001 a cell lets counts that add up to the
  // limit exactly pass, and nothing a whole count above it.
  if (S > largest_safe_total + 0.001 * c) return locus_fault::total_too_large;
  return locus_fault::none;
}

locus_fault check_maxima(double L_max, double L_hyp, double total, int c) {
  if (!std::isfinite(L_max)) return locus_fault::mode_not_finite;
  if (!std::isfinite(L_hyp)) return locus_fault::fit_not_finite;
  double rounding = 4.0 * c * DBL_EPSILON * (total + std::fabs(L_max));
  if (L_hyp - L_max > rounding) return locus_fault::maxima_out_of_order;
  return locus_fault::none;
}

locus_fault check_evidence(double E) {
  return E >= 0 && E <= 1 ? locus_fault::none : locus_fault::evidence_not_finite;
}

std::string describe_locus_fault(locus_fault fault, const double* alpha, int k, int c,
                                 double L_max, double L_hyp, double E) {
  switch (fault) {
    case locus_fault::none:
      return "";
    case locus_fault::total_not_finite:
      return "the counts add up to more than the largest floating-point number (about 1.8e308)";
    case locus_fault::total_too_large:
      return format("the counts add up to %.15g, more than %.15g, the largest total computed "
                    "safely: the posterior mode's last cell, one minus the others, would keep "
                    "too few digits",
                    sum_of_counts(alpha, c), largest_safe_total);
    case locus_fault::mode_not_finite:
      return format("the posterior mode is lost to rounding (L_max = %g)", L_max);
    case locus_fault::fit_not_finite: {
      // The last allele's copies: its heterozygotes once, its homozygote twice.
      double copies = 0;
      int row = (k - 1) * k / 2;  // the cells before row k
      for (int j = 1; j <= k; j++) copies += (j == k ? 2 : 1) * (alpha[row + j] - dirichlet_pseudo_count);
      char buf[512];
      std::snprintf(buf, sizeof buf,
                    "the equilibrium fit is lost to rounding (L_hyp = %g): allele %d, the last, "
                    "has %g of the %.15g allele copies, too few for its frequency, one minus the "
                    "others', to survive rounding at this total; list a common allele last, or "
                    "leave out an allele without counts",
                    L_hyp, k, copies, 2 * sum_of_counts(alpha, c));
      return buf;
    }
    case locus_fault::maxima_out_of_order:
      return format("L_max (%.17g) is below L_hyp (%.17g) by more than rounding: the counts "
                    "are too unbalanced for double precision",
                    L_max, L_hyp);
    case locus_fault::evidence_not_finite:
      return format("the evidence is not a number from 0 to 1 (%g)", E);
  }
  return "";
}

}  // namespace drevel
