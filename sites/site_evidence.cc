#include "sites/site_evidence.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "evidence/dirichlet_prior.h"
#include "locus/joint_locus.h"
#include "random/rand48.h"
#include "sites/heterozygosity.h"
#include "stats/hwe_exact.h"
#include "stats/hwe_markov.h"
#include "stats/standardized_evidence.h"
#include "sites/tuning.h"

namespace drevel {

namespace {

// The parameter vector of genotype counts: alpha[0] = c, alpha[n] the
// parameter of cell n.
std::vector<double> cell_parameters(const std::vector<double>& counts) {
  std::vector<double> alpha(counts.size() + 1);
  alpha[0] = static_cast<double>(counts.size());
  for (size_t n = 0; n < counts.size(); n++) alpha[n + 1] = cell_parameter(counts[n]);
  return alpha;
}

// The alleles of a computed locus, from its cell vectors (c = k(k+1)/2).
int alleles_of(const locus_result& locus) {
  const size_t c = locus.mode.empty() ? 0 : locus.mode.size() - 1;
  int k = 0;
  while (static_cast<size_t>(k + 1) * static_cast<size_t>(k + 2) / 2 <= c) k++;
  return k;
}

site_outcome outcome_of(const group_counts& group, int max_alleles) {
  const size_t t = group.tested.size();
  if (static_cast<int>(t) > max_alleles || group.counts.size() != t * (t + 1) / 2)
    return site_outcome::too_many_alleles;
  if (group.called == 0) return site_outcome::no_calls;
  // One tested allele, declared or seen: nothing to test (the two-file run
  // computes k = 1, with every draw a hit; a table row would read E = 0).
  if (t == 1) return site_outcome::monomorphic;
  return site_outcome::computed;
}

void compute_group(const group_counts& group, const tuning_request& tuning,
                   group_evidence* result) {
  const group_run run = group_run_of(group, tuning);
  rand48_state state;
  engine_choice one_thread;
  one_thread.engine = tuning.engine;
  one_thread.threads = 1;
  add_exact_test(group, tuning.hwe_tables, result);
  record_locus(compute_locus(run.k, run.c, run.alpha.data(), run.rule, state, one_thread), result);
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
  run.rule = mc_rule{static_cast<int32_t>(maxmc), static_cast<int32_t>(minmc), precision};
  run.alpha = cell_parameters(group.counts);
  return run;
}

void add_exact_test(const group_counts& group, int64_t hwe_tables, group_evidence* result) {
  const size_t t = group.tested.size();
  if (t < 2 || group.counts.size() != t * (t + 1) / 2 || group.called == 0) return;
  if (t == 2) {
    const hwe_exact_p p = hwe_exact(std::llround(group.counts[0]), std::llround(group.counts[1]),
                                    std::llround(group.counts[2]));
    result->p_hwe = p.p;
    result->p_hwe_midp = p.midp;
    result->p_het_excess = p.excess;
    result->p_het_deficit = p.deficit;
    return;
  }
  hwe_markov_length length;
  length.batch_steps = hwe_tables / length.batches;
  const hwe_markov_p p = hwe_markov(group.counts, static_cast<int>(t), length);
  result->p_hwe = p.p;
  result->p_hwe_midp = p.midp;
  result->p_hwe_se = p.se;
}

void record_locus(locus_result&& locus, group_evidence* result) {
  result->E = locus.E;
  result->L_max = locus.L_max;
  result->L_hyp = locus.L_hyp;
  result->draws = locus.draws;
  result->hits = locus.hits;
  result->fault = locus.fault;
  if (!locus.computed()) {
    result->outcome = site_outcome::lost_to_rounding;
    return;
  }
  result->mc_se = locus.mc_se();
  result->at_maxmc = locus.end == locus_end::maxmc;
  result->sev = standardized_evidence(locus.E, alleles_of(locus));
  result->mode = std::move(locus.mode);
  result->fit = std::move(locus.fit);
  result->outcome = site_outcome::computed;
}

std::string describe_group_fault(const group_counts& group, const group_evidence& evidence) {
  const int k = static_cast<int>(group.tested.size());
  std::vector<double> alpha = cell_parameters(group.counts);
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
    out.outcome = outcome_of(group, max_alleles);
  }
  return result;
}

site_evidence compute_site_evidence(const site_record& site, const tuning_request& tuning,
                                    int max_alleles) {
  site_evidence result = site_evidence_outline(site, max_alleles);
  if (site.joint != joint_rows::only)
    for (size_t g = 0; g < site.groups.size(); g++)
      if (result.groups[g].outcome == site_outcome::computed)
        compute_group(site.groups[g], tuning, &result.groups[g]);
  if (site.joint != joint_rows::none)
    result.joint = compute_joint_evidence(site, group_outcomes(result), tuning);
  return result;
}

std::vector<site_outcome> group_outcomes(const site_evidence& outline) {
  std::vector<site_outcome> outcomes;
  for (const group_evidence& g : outline.groups) outcomes.push_back(g.outcome);
  return outcomes;
}

joint_evidence compute_joint_evidence(const site_record& site,
                                      const std::vector<site_outcome>& outcomes,
                                      const tuning_request& tuning) {
  joint_evidence out;
  group_evidence& row = out.row;
  bool monomorphic = false, too_many = false;
  std::vector<size_t> joined;
  for (size_t g = 0; g < site.groups.size(); g++) {
    out.called += site.groups[g].called;
    out.skipped += site.groups[g].skipped;
    switch (outcomes[g]) {
      case site_outcome::computed: joined.push_back(g); break;
      case site_outcome::monomorphic: monomorphic = true; break;
      case site_outcome::too_many_alleles: too_many = true; break;
      default: break;
    }
  }
  out.joined = static_cast<int64_t>(joined.size());
  out.left_out = static_cast<int64_t>(site.groups.size() - joined.size());
  if (too_many || joined.empty()) {
    row.outcome = too_many      ? site_outcome::too_many_alleles
                  : monomorphic ? site_outcome::monomorphic
                                : site_outcome::no_calls;
    return out;
  }
  std::vector<std::vector<double>> alpha;
  std::vector<joint_factor> factors;
  int widest = 0;  // the most cells of a factor
  double all = 0, departure = 0;  // the dimensions of the product, for SEV
  alpha.reserve(joined.size());
  for (size_t g : joined) {
    const group_counts& group = site.groups[g];
    const int k = static_cast<int>(group.tested.size());
    const int c = static_cast<int>(group.counts.size());
    alpha.push_back(cell_parameters(group.counts));
    factors.push_back(joint_factor{k, c, alpha.back().data()});
    widest = std::max(widest, c);
    all += c - 1;
    departure += c - k;
  }
  // The defaults of the widest factor: as many draws as its hardest group
  // alone would take, each costing the sum of the groups' (the defaults of
  // the summed cells would multiply the draws by the number of groups too).
  double precision = tuning.precision;
  long long minmc = tuning.minmc, maxmc = tuning.maxmc;
  apply_tuning_defaults(widest, &precision, &minmc, &maxmc);
  const mc_rule rule{static_cast<int32_t>(maxmc), static_cast<int32_t>(minmc), precision};
  rand48_state state;
  joint_result joint = compute_joint_locus(factors, rule, state);
  // Refused before any draw: by one group's own check.
  if (!joint.result.computed() && joint.result.draws == 0)
    out.refused_group = joined[joint.refused_factor];
  record_locus(std::move(joint.result), &row);
  if (row.outcome != site_outcome::computed) return out;
  row.sev = standardized_evidence_of_dimensions(row.E, all, departure);
  return out;
}

}  // namespace drevel
