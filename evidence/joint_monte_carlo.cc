#include "evidence/joint_monte_carlo.h"

#include <cstddef>

#include "evidence/kernel.h"
#include "random/dirirnd.h"

namespace drevel {

namespace {

struct joint_draws {
  static constexpr bool may_end = false;
  const std::vector<dirichlet_factor>& factors;
  double L_hyp;
  std::vector<std::vector<double>>& theta;  // one draw vector per factor, cells 0..c
  rand48_state& state;

  int next_hit() {
    double L = 0;
    for (size_t g = 0; g < factors.size(); g++) {
      dirirnd(factors[g].alpha, theta[g].data(), factors[g].c, state);
      L = L + LogDNFunc(factors[g].alpha, theta[g].data(), factors[g].c);
    }
    return L >= L_hyp ? 1 : 0;
  }
};

}  // namespace

mc_estimate monte_carlo_joint(const std::vector<dirichlet_factor>& factors, double L_hyp,
                              const mc_rule& rule, rand48_state& state) {
  std::vector<std::vector<double>> theta;
  theta.reserve(factors.size());
  for (const dirichlet_factor& f : factors) {
    theta.emplace_back(static_cast<size_t>(f.c) + 1, 0.0);
    theta.back()[0] = f.c;
  }
  joint_draws source{factors, L_hyp, theta, state};
  mc_run run;
  run_draws(source, rule, run);
  return mc_estimate_of(run, rule);
}

}  // namespace drevel
