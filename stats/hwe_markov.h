// The exact test of Hardy-Weinberg equilibrium for any number of alleles,
// estimated by a Markov chain over the genotype tables with the observed
// allele counts (Guo and Thompson 1992, "Performing the exact test of
// Hardy-Weinberg proportion for multiple alleles", Biometrics 48:361).
//
// Under equilibrium, given the allele counts, a table of n diploids has
// probability n! prod n_i! 2^H / ((2n)! prod n_ij!), H the heterozygotes:
// that of pairing the 2n allele copies at random.  At each step the chain
// draws two of the 2n copies at random and exchanges them between their
// individuals, a move that leaves the random pairing's distribution
// unchanged.  Individuals are exchangeable, so the chain needs only the
// table: the i-th individual in cell order stands for whichever one holds
// that place, and a cohort of any size costs memory for its cells only.  The
// estimate is the share of the steps whose table is no more likely than the
// observed one.  Its standard error comes from batch means, as Guo and
// Thompson give it.  The chain starts from the observed table at a fixed
// generator state of its own (std::mt19937_64, whose sequence the C++
// standard fixes), so a site's estimate is the same on every run and thread.
#ifndef DREVEL_STATS_HWE_MARKOV_H
#define DREVEL_STATS_HWE_MARKOV_H

#include <cstdint>
#include <vector>

namespace drevel {

struct hwe_markov_p {
  double p = 1;     // the share of tables no more likely than the observed one
  double midp = 1;  // the same with the tables as likely counted half
  double se = 0;    // the standard error of p, from batch means
};

// The chain's length: `burn_in` steps away from the observed table, then
// `batches` batches of `batch_steps` steps each.
// The defaults take about a fifth of a millisecond for a site of a few
// hundred individuals; long batches keep the batch means nearly
// independent, since each step changes at most two individuals.
struct hwe_markov_length {
  int64_t burn_in = 1000;
  int64_t batches = 20;
  int64_t batch_steps = 500;
};

// counts: the k(k+1)/2 genotype counts of k >= 2 alleles in lower-triangle
// order, whole numbers >= 0 summing to at most 2^30 individuals.  With no
// individuals, or one allele present, p and midp are 1 (midp 1/2 with one
// allele, as for two) and se 0.  Takes O(cells + steps log cells) time and
// O(cells) memory.
hwe_markov_p hwe_markov(const std::vector<double>& counts, int k,
                        const hwe_markov_length& length = hwe_markov_length());

}  // namespace drevel

#endif
