// The literal engine: each draw by dirirnd and LogDNFunc.
#include "evidence/monte_carlo.h"

#include "evidence/kernel.h"
#include "numeric/nrutil.h"
#include "random/dirirnd.h"
#include "random/process_rand48.h"

namespace drevel {

namespace {

struct literal_draws {
  static constexpr bool may_end = false;
  const double* alpha;
  double L_hyp;
  int c;
  double* theta;
  rand48_state& state;

  int next_hit() {
    dirirnd(alpha, theta, c, state);
    double L = LogDNFunc(alpha, theta, c);
    return L >= L_hyp ? 1 : 0;
  }
};

}  // namespace

mc_estimate monte_carlo_literal(const double* alpha, double L_hyp, const mc_rule& rule, int c,
                                rand48_state& state) {
  double* theta = vector(0, c);
  theta[0] = c;
  literal_draws source{alpha, L_hyp, c, theta, state};
  mc_run run;
  run_draws(source, rule, run);
  free_vector(theta, 0, c);
  return mc_estimate_of(run, rule);
}

double evidag_mtcar(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                    double precision, int c, rand48_state& state, int64_t* draws) {
  mc_estimate estimate =
      monte_carlo_literal(alpha, L_hyp, mc_rule{maxmc, minmc, precision}, c, state);
  if (draws) *draws = estimate.draws;
  return estimate.r;
}

double evidag_mtcar(const double* alpha, double L_hyp, int32_t maxmc, int32_t minmc,
                    double precision, int c) {
  return evidag_mtcar(alpha, L_hyp, maxmc, minmc, precision, c, process_rand48(), nullptr);
}

}  // namespace drevel
