#include "locus/joint_locus.h"

#include "evidence/joint_monte_carlo.h"

namespace drevel {

joint_result compute_joint_locus(const std::vector<joint_factor>& factors, const mc_rule& rule,
                                 rand48_state& state) {
  joint_result out;
  locus_result& joint = out.result;
  double L_max = 0, L_hyp = 0;
  std::vector<dirichlet_factor> draws;
  draws.reserve(factors.size());
  for (size_t g = 0; g < factors.size(); g++) {
    const joint_factor& f = factors[g];
    locus_result alone;
    if (!prepare_locus(f.k, f.c, f.alpha, &alone)) {
      joint = alone;
      joint.mode.clear();
      joint.fit.clear();
      out.refused_factor = g;
      return out;
    }
    L_max = L_max + alone.L_max;
    L_hyp = L_hyp + alone.L_hyp;
    draws.push_back(dirichlet_factor{f.alpha, f.c});
  }
  joint.L_max = L_max;
  joint.L_hyp = L_hyp;
  complete_locus(monte_carlo_joint(draws, L_hyp, rule, state), &joint);
  return out;
}

}  // namespace drevel
