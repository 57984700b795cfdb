// The evidence computation for equilibrium in every one of several
// independent loci at once (the groups of a site, the loci of a
// population): the locus sequence of locus/locus_evidence.h on the product
// of their posteriors.
//   1-2. every factor checked and maximised as a locus alone (prepare_locus);
//        the joint L_max and L_hyp are the sums of the factors', in order;
//   3.   the Monte Carlo over joint draws (evidence/joint_monte_carlo.h);
//   4.   E = 1 - r and its check (complete_locus).
// With one factor the result is that locus's under the literal engine, and
// so that of every engine: the product of one factor is the factor.
#ifndef DREVEL_LOCUS_JOINT_LOCUS_H
#define DREVEL_LOCUS_JOINT_LOCUS_H

#include <cstddef>
#include <vector>

#include "locus/locus_evidence.h"

namespace drevel {

// One factor: a locus of k alleles, c = k(k+1)/2 cells, parameters alpha
// (cells 1..c, count + dirichlet_pseudo_count each), read only.
struct joint_factor {
  int k, c;
  const double* alpha;
};

// What the joint computation gives: the locus result of the product (mode
// and fit stay empty), and when a factor's own check refused it, which one
// (result.end is then fault, result.fault that factor's cause, and
// result.L_max, L_hyp that factor's values reached).
struct joint_result {
  locus_result result;
  size_t refused_factor = 0;
};

// The sequence for `factors` (at least one), drawing from `state`, which is
// untouched when a check refuses a factor.  rule holds the tuning values
// after their defaults.
joint_result compute_joint_locus(const std::vector<joint_factor>& factors, const mc_rule& rule,
                                 rand48_state& state);

}  // namespace drevel

#endif
