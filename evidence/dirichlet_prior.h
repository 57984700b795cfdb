// The prior of the genotype frequencies: a Dirichlet distribution with the
// same parameter in every cell, so that a cell's posterior parameter is its
// observed count plus that pseudo-count.  Just above 1, it keeps every
// cell's parameter above 1 (gamma deviates of shape >= 1, a finite
// log-kernel at the posterior mode) while weighing almost nothing against
// the counts.  Every place that forms a parameter from a count, or a count
// from a parameter, uses this one value.
#ifndef DREVEL_EVIDENCE_DIRICHLET_PRIOR_H
#define DREVEL_EVIDENCE_DIRICHLET_PRIOR_H

namespace drevel {

constexpr double dirichlet_pseudo_count = 1.0001;

// The posterior parameter alpha of a cell with `count` observations.
constexpr double cell_parameter(double count) { return count + dirichlet_pseudo_count; }

}  // namespace drevel

#endif
