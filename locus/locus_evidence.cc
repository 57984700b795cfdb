#include "locus/locus_evidence.h"

#include <cmath>

#include "evidence/equilibrium.h"
#include "evidence/kernel.h"
#include "evidence/monte_carlo.h"
#include "fast/fast_engine.h"

namespace drevel {

double locus_result::mc_se() const {
  if (hits == 0 || hits == draws) {
    // sqrt(E (1 - E) / N) is 0 here, which reads as certainty: give the
    // standard error of Laplace's estimate (hits + 1) / (N + 2) instead.
    const double n = static_cast<double>(draws) + 2, q = 1 / n;
    return std::sqrt(q * (1 - q) / n);
  }
  return std::sqrt(E * (1 - E) / static_cast<double>(draws));
}

bool prepare_locus(int k, int c, const double* alpha, locus_result* result) {
  *result = locus_result();
  double total;
  result->fault = check_total(alpha, c, &total);
  if (result->fault != locus_fault::none) return false;
  result->mode.assign(static_cast<size_t>(c) + 1, 0.0);
  result->fit.assign(static_cast<size_t>(c) + 1, 0.0);
  result->mode[0] = result->fit[0] = c;
  Find_Argmax(alpha, result->mode.data(), &result->L_max, c);
  Find_Argmax_Hyp(alpha, result->fit.data(), &result->L_hyp, k, c);
  result->fault = check_maxima(result->L_max, result->L_hyp, total, c);
  return result->fault == locus_fault::none;
}

void complete_locus(const mc_estimate& estimate, locus_result* result) {
  result->E = 1 - estimate.r;
  result->draws = estimate.draws;
  result->hits = estimate.hits;
  result->fault = check_evidence(result->E);
  if (result->fault != locus_fault::none) result->end = locus_end::fault;
  else result->end = estimate.at_maxmc ? locus_end::maxmc : locus_end::precision_met;
}

locus_result compute_locus(int k, int c, const double* alpha, const mc_rule& rule,
                           rand48_state& state, const engine_choice& engine) {
  locus_result result;
  if (!prepare_locus(k, c, alpha, &result)) return result;
  mc_estimate estimate;
  if (engine.engine == mc_engine::literal) {
    estimate = monte_carlo_literal(alpha, result.L_hyp, rule, c, state);
  } else {
    fast_options fast;
    fast.threads = engine.threads < 1 ? 1 : engine.threads;
    estimate = monte_carlo_fast(alpha, result.L_hyp, rule, c, state, fast, engine.stats);
  }
  complete_locus(estimate, &result);
  return result;
}

}  // namespace drevel
