// The Monte Carlo estimate for a product of independent Dirichlet posteriors
// (several groups of samples, or several loci, each with its own genotype
// frequencies): the posterior mass where the joint log-kernel reaches the
// joint equilibrium maximum.
//
// The factors are independent, so the joint log-kernel of a draw is the sum
// of the factors' log-kernels, sum_g LogDNFunc(alpha_g, theta_g, c_g), and
// the joint maximum under equilibrium is the sum of the factors' L_hyp (each
// factor's equilibrium fit maximises its own term).  A joint draw takes one
// Dirichlet vector from each factor in their order, by dirirnd, from one
// generator stream; the draw loop and its stopping rule are the shared ones
// (evidence/draw_loop.h).  With one factor every draw, hit and check is the
// literal engine's (evidence/monte_carlo.h) for that factor.
#ifndef DREVEL_EVIDENCE_JOINT_MONTE_CARLO_H
#define DREVEL_EVIDENCE_JOINT_MONTE_CARLO_H

#include <vector>

#include "evidence/draw_loop.h"
#include "random/rand48.h"

namespace drevel {

// One factor: c cells with parameters alpha (cells 1..c; alpha[0] unused),
// read only and owned by the caller.
struct dirichlet_factor {
  const double* alpha;
  int c;
};

// Draws joint vectors from `factors` (at least one) until the stopping rule
// ends the loop, and returns the estimate: the share of draws whose joint
// log-kernel, summed over the factors in their order, is >= L_hyp (a NaN sum
// is a miss), with the draws, hits and how the loop stopped.  Draws from
// `state`, which ends where the last draw left it.
mc_estimate monte_carlo_joint(const std::vector<dirichlet_factor>& factors, double L_hyp,
                              const mc_rule& rule, rand48_state& state);

}  // namespace drevel

#endif
