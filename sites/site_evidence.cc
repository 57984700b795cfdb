#include "sites/site_evidence.h"

#include <cmath>
#include <vector>

#include "numeric/nrutil.h"
#include "random/rand48.h"
#include "sites/heterozygosity.h"
#include "sites/monte_carlo_end.h"
#include "sites/tuning.h"

namespace drevel {

namespace {

site_outcome outcome_of(const site_record& site, const group_counts& group, int max_alleles) {
  const size_t t = group.tested.size();
  if (static_cast<int>(t) > max_alleles || group.counts.size() != t * (t + 1) / 2)
    return site_outcome::too_many_alleles;
  if (group.called == 0) return site_outcome::no_calls;
  if (t == 1 && !site.declared_alleles) return site_outcome::monomorphic;
  return site_outcome::computed;
}

void compute_group(const group_counts& group, const tuning_request& tuning,
                   group_evidence* result) {
  group_run run = group_run_of(group, tuning);
  const int c = run.c;
  double* m = vector(0, c);
  double* h = vector(0, c);
  m[0] = h[0] = c;
  rand48_state state;
  engine_choice one_thread;
  one_thread.engine = tuning.engine;
  one_thread.threads = 1;
  result->fault = locus_evidence(run.k, c, run.alpha.data(), m, h, &result->L_max, &result->L_hyp,
                                 &result->E, run.maxmc, run.minmc, run.precision, state,
                                 &result->draws, one_thread);
  free_vector(m, 0, c);
  free_vector(h, 0, c);
  if (result->fault != locus_fault::none) {
    result->outcome = site_outcome::lost_to_rounding;
    return;
  }
  finish_group(run.precision, result);
}

}  // namespace

group_run group_run_of(const group_counts& group, const tuning_request& tuning) {
  group_run run;
  run.k = static_cast<int>(group.tested.size());
  run.c = run.k * (run.k + 1) / 2;
  double precision = tuning.precision;
  long long minmc = tuning.minmc, maxmc = tuning.maxmc;
  // Cannot overflow: k is at most largest_max_alleles.
  apply_tuning_defaults(run.c, &precision, &minmc, &maxmc);
  run.precision = precision;
  run.minmc = static_cast<int32_t>(minmc);
  run.maxmc = static_cast<int32_t>(maxmc);
  run.alpha.resize(static_cast<size_t>(run.c) + 1);
  run.alpha[0] = run.c;
  for (int n = 1; n <= run.c; n++) run.alpha[static_cast<size_t>(n)] = group.counts[static_cast<size_t>(n) - 1] + 1.0001;
  return run;
}

void finish_group(double precision, group_evidence* result) {
  const double E = result->E;
  result->mc_se = std::sqrt(E * (1 - E) / static_cast<double>(result->draws));
  result->at_maxmc = ended_at_maxmc(result->draws, E, precision);
  result->outcome = site_outcome::computed;
}

std::string describe_group_fault(const group_counts& group, const group_evidence& evidence) {
  const int k = static_cast<int>(group.tested.size());
  std::vector<double> alpha(group.counts.size() + 1);
  alpha[0] = static_cast<double>(group.counts.size());
  for (size_t n = 0; n < group.counts.size(); n++) alpha[n + 1] = group.counts[n] + 1.0001;
  return describe_locus_fault(evidence.fault, alpha.data(), k,
                              static_cast<int>(group.counts.size()), evidence.L_max,
                              evidence.L_hyp, evidence.E);
}

site_evidence site_evidence_outline(const site_record& site, int max_alleles) {
  site_evidence result;
  result.groups.resize(site.groups.size());
  for (size_t g = 0; g < site.groups.size(); g++) {
    const group_counts& group = site.groups[g];
    group_evidence& out = result.groups[g];
    heterozygosity het = group_heterozygosity(group);
    out.het_obs = het.observed;
    out.het_exp = het.expected;
    out.F = het.F;
    out.outcome = outcome_of(site, group, max_alleles);
  }
  return result;
}

site_evidence compute_site_evidence(const site_record& site, const tuning_request& tuning,
                                    int max_alleles) {
  site_evidence result = site_evidence_outline(site, max_alleles);
  for (size_t g = 0; g < site.groups.size(); g++)
    if (result.groups[g].outcome == site_outcome::computed)
      compute_group(site.groups[g], tuning, &result.groups[g]);
  return result;
}

}  // namespace drevel
