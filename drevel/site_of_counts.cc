#include "drevel/site_of_counts.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace drevel {

namespace internal {

status check_counts(const std::vector<double>& counts, const evidence_tuning& tuning) {
  if (tuning.max_alleles < 1 || tuning.max_alleles > largest_max_alleles)
    return status(fault_kind::usage, "max_alleles " + std::to_string(tuning.max_alleles) +
                                         " is outside 1.." + std::to_string(largest_max_alleles));
  if (alleles_of_cells(counts.size()) == 0)
    return status(fault_kind::usage,
                  std::to_string(counts.size()) +
                      " genotype counts: not k(k+1)/2 for a number of alleles k from 1 to " +
                      std::to_string(largest_max_alleles));
  for (size_t n = 0; n < counts.size(); n++)
    if (!(counts[n] >= 0) || !std::isfinite(counts[n]))
      return status(fault_kind::usage, "genotype count " + std::to_string(n + 1) +
                                           " is not a number >= 0");
  return status::ok();
}

site_record site_of_counts(const std::vector<double>& counts) {
  site_record site;
  const int k = alleles_of_cells(counts.size());
  site.k = k;
  site.groups.resize(1);
  group_counts& g = site.groups[0];
  g.counts = counts;
  g.allele_counts.assign(static_cast<size_t>(k), 0);
  double total = 0, heterozygous = 0;
  std::vector<double> copies(static_cast<size_t>(k), 0.0);
  for (int i = 0, n = 0; i < k; i++) {
    g.tested.push_back(i);
    for (int j = 0; j <= i; j++, n++) {
      const double x = counts[static_cast<size_t>(n)];
      total += x;
      copies[static_cast<size_t>(i)] += x;
      copies[static_cast<size_t>(j)] += x;
      if (i != j) heterozygous += x;
    }
  }
  for (int a = 0; a < k; a++)
    g.allele_counts[static_cast<size_t>(a)] = std::llround(copies[static_cast<size_t>(a)]);
  // Fractional counts: a locus with any count is one with calls.
  g.called = total > 0 ? std::max<int64_t>(1, std::llround(total)) : 0;
  g.heterozygous = std::llround(heterozygous);
  return site;
}

tuning_request tuning_of(const evidence_tuning& tuning) {
  tuning_request t;
  t.precision = tuning.precision;
  t.minmc = tuning.minmc;
  t.maxmc = tuning.maxmc;
  t.engine = tuning.literal ? mc_engine::literal : mc_engine::fast;
  return t;
}

evidence_row row_of(const group_counts& group, group_evidence&& e) {
  evidence_row row;
  row.status = e.outcome;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  row.p_hwe = e.p_hwe.value_or(nan);
  row.p_hwe_midp = e.p_hwe_midp.value_or(nan);
  row.p_het_excess = e.p_het_excess.value_or(nan);
  row.p_het_deficit = e.p_het_deficit.value_or(nan);
  row.p_hwe_se = e.p_hwe_se.value_or(nan);
  row.sev = e.sev.value_or(nan);
  if (e.outcome == row_status::lost_to_rounding) row.fault = describe_group_fault(group, e);
  if (!status_fills_estimates(e.outcome)) return row;
  row.evidence = e.E;
  row.L_max = e.L_max;
  row.L_hyp = e.L_hyp;
  row.mc_se = e.mc_se;
  row.draws = e.draws;
  row.hits = e.hits;
  row.at_maxmc = e.at_maxmc;
  row.mode.assign(e.mode.begin() + 1, e.mode.end());
  row.fit.assign(e.fit.begin() + 1, e.fit.end());
  return row;
}

status cannot_start(int threads, const status& started) {
  return status(started.kind(), "cannot run " + std::to_string(threads) + " thread" +
                                    (threads == 1 ? "" : "s") + ": " + started.message());
}

}  // namespace internal

}  // namespace drevel
