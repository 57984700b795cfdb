// The evidence standardized for the dimensions of the model.  The evidence
// E is the posterior mass outside the set where the log-kernel reaches the
// equilibrium maximum; read as a tail probability in the c - 1 dimensions
// of the genotype frequencies, it corresponds to the chi-square quantile
// q = F^-1_{c-1}(1 - E), and
//   SEV = 1 - F_{c-k}(q),
// the tail of that quantile in the c - k dimensions in which a departure
// from equilibrium can lie (k - 1 of the c - 1 are the allele frequencies,
// which equilibrium leaves free).  F_d is the chi-square distribution
// function with d degrees of freedom (Boost.Math).  SEV makes evidences of
// loci with different numbers of alleles comparable with each other and
// with a p-value of d = c - k degrees of freedom.
#ifndef DREVEL_STATS_STANDARDIZED_EVIDENCE_H
#define DREVEL_STATS_STANDARDIZED_EVIDENCE_H

#include <optional>

namespace drevel {

// SEV for evidence E (0 <= E <= 1) at a locus of k >= 2 alleles, c =
// k(k+1)/2 cells: 1 at E = 1, 0 at E = 0.  Nothing for k < 2 (no
// dimension for a departure) or E outside [0, 1].
std::optional<double> standardized_evidence(double E, int k);

// The same for a model of `all` free dimensions of which `departure` hold a
// departure from equilibrium (1 <= departure <= all): a locus has c - 1 and
// c - k, and a product of independent loci the sums of theirs.  Nothing
// when E is outside [0, 1] or the dimensions are not so.
std::optional<double> standardized_evidence_of_dimensions(double E, double all, double departure);

}  // namespace drevel

#endif
