// The exact test of Hardy-Weinberg equilibrium for two alleles (Wigginton,
// Cutler and Abecasis 2005, "A note on exact tests of Hardy-Weinberg
// equilibrium", Am J Hum Genet 76:887): given the allele counts of n
// diploids, the probability of each number of heterozygotes under
// equilibrium, by the recurrence between neighbouring heterozygote counts
// of the same parity; the p-values sum those probabilities.  These are the
// values of plink2 --hardy (P, and its midp form) and of vcftools --hardy
// (P_HET_DEFICIT, P_HET_EXCESS; bcftools' ExcHet is the excess tail).
#ifndef DREVEL_STATS_HWE_EXACT_H
#define DREVEL_STATS_HWE_EXACT_H

#include <cstdint>

namespace drevel {

struct hwe_exact_p {
  // Two-sided: the probability of every heterozygote count no more likely
  // than the observed one (probabilities within a relative 1e-10 of the
  // observed one count as equal, so that the mirror image of a symmetric
  // distribution is not lost to rounding).
  double p = 1;
  // The same with the observed likelihood class counted half (plink2's midp).
  double midp = 1;
  // One-sided: at most as many heterozygotes as observed (a deficit) and at
  // least as many (an excess).
  double deficit = 1, excess = 1;
};

// The test for hom1, het and hom2 individuals (each >= 0, their sum at most
// 2^31).  Every p-value is in [0, 1]; with one allele only, the mid-p value
// is 1/2 and the others 1; with no individuals, all are 1.  The work is
// O(sqrt(n)) in time and memory: p-values below the smallest normal double
// (about 2e-308) are 0.
hwe_exact_p hwe_exact(int64_t hom1, int64_t het, int64_t hom2);

}  // namespace drevel

#endif
