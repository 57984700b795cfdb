// The evidence computation for one site of a batch input: for each group of
// samples, the same computation as the classic run on the counts of the
// group's tested alleles, with a generator stream of its own so that sites
// can be computed on any thread in any order; and the columns derived from
// the counts and the run.
#ifndef DREVEL_SITES_SITE_EVIDENCE_H
#define DREVEL_SITES_SITE_EVIDENCE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "locus/locus_evidence.h"
#include "schema/table_schema.h"
#include "sites/site_record.h"

namespace drevel {

// The tuning values as the user gave them; 0 selects the per-site default
// (0.005, 500*c, 10000*c), exactly as in the classic input file.
struct tuning_request {
  double precision = 0;
  int32_t minmc = 0, maxmc = 0;
  // Both engines give the same values; the fast one is the default.
  mc_engine engine = mc_engine::fast;
  // The Markov chain's tables for the exact test of three or more alleles.
  int64_t hwe_tables = 10000;
};

// What became of a group (schema/table_schema.h has the order and the
// STATUS words): too_many_alleles also when no counts were kept;
// lost_to_rounding when the locus checks refused the counts (fault says
// why); computed: everything else.
using site_outcome = row_status;

// What the computation gave for one group of a site.
struct group_evidence {
  site_outcome outcome = site_outcome::no_calls;
  // Computed groups: the evidence, both maxima, the draws and hits; the
  // Monte Carlo standard error sqrt(E(1 - E)/draws); whether the run ended
  // at maxmc before both half-widths were below the precision.
  // lost_to_rounding: fault says why, and the values the computation
  // reached are kept (locus/locus_evidence.h says which).
  double E = 0, L_max = 0, L_hyp = 0;
  int64_t draws = 0, hits = 0;
  locus_fault fault = locus_fault::none;
  double mc_se = 0;
  bool at_maxmc = false;
  // Computed groups: the posterior mode and the fitted equilibrium
  // frequencies (cells 0..c, element 0 holding c).
  std::vector<double> mode, fit;
  // Every group, where defined (see sites/heterozygosity.h): observed and
  // expected heterozygosity and F.
  std::optional<double> het_obs, het_exp, F;
  // Groups of two tested alleles with calls (stats/hwe_exact.h): the exact
  // test's p-value, its mid-p form and its one-sided tails.
  // Three or more: the Markov chain's estimates of the first two and the
  // standard error of the first.
  std::optional<double> p_hwe, p_hwe_midp, p_het_excess, p_het_deficit, p_hwe_se;
  // Computed groups of two or more tested alleles: the standardized
  // evidence (stats/standardized_evidence.h).
  std::optional<double> sev;
};

// The joint row of a record's groups (locus/joint_locus.h): computed over
// the groups whose own row is computed; groups that are monomorphic or have
// no calls are left out of the product and counted.  Its outcome: computed;
// too_many_alleles when a group has too many; lost_to_rounding when a
// group's own check refused it (refused_group says which, row.fault why,
// and row holds that group's values reached) or the joint evidence's check;
// else monomorphic when a group is, no_calls when none is.  Only the
// columns of the product are filled: E, both maxima, draws, hits, mc_se,
// at_maxmc and sev (of the summed dimensions).
struct joint_evidence {
  group_evidence row;
  int64_t called = 0, skipped = 0;  // summed over every group
  int64_t joined = 0, left_out = 0;  // groups in the product, groups left out
  std::optional<size_t> refused_group;
};

// One entry per group of the record, in its order, and the joint row when
// the record asks for one.
struct site_evidence {
  std::vector<group_evidence> groups;
  std::optional<joint_evidence> joint;
};

// Computes every group of the site: each computed group starts a fresh
// generator stream at its fixed start and runs on the caller's thread alone
// (the parallelism is across sites), so its values are those of a classic
// run of its counts with the same tuning values; then the joint row when
// site.joint asks for one (joint_rows::only: the joint row alone).  Safe to call from several
// threads at once.  An allocation failure ends the process through nrerror.
site_evidence compute_site_evidence(const site_record& site, const tuning_request& tuning,
                                    int max_alleles);

// The joint row of the site's groups, whose outcomes (one per group, as
// site_evidence_outline decides them) are `outcomes`: one generator stream
// from its fixed start, the draws of the factors in the groups' order, the
// tuning defaults of the factor with the most cells (so the joint row draws
// as often as its hardest group would, each draw costing the sum of the
// groups').  Safe to call from several threads at once.
joint_evidence compute_joint_evidence(const site_record& site,
                                      const std::vector<site_outcome>& outcomes,
                                      const tuning_request& tuning);

// The outcomes of an outline's groups, in order.
std::vector<site_outcome> group_outcomes(const site_evidence& outline);

// For a group whose outcome is lost_to_rounding: the cause, in one line
// without a line end (describe_locus_fault for the group's counts).
std::string describe_group_fault(const group_counts& group, const group_evidence& evidence);

// The pieces of compute_site_evidence, for computations that run the Monte
// Carlo of many groups at once (sites/site_batch.h) and must give the same
// columns.
//
// Every group's outcome and heterozygosities; the Monte Carlo columns of
// computed groups are left for the caller (record_locus).
site_evidence site_evidence_outline(const site_record& site, int max_alleles);

// A computed group's locus: k alleles, c cells, alpha (cells 1..c, the
// counts' cell parameters; alpha[0] = c) and the tuning values after the
// defaults.
struct group_run {
  int k = 0, c = 0;
  std::vector<double> alpha;
  mc_rule rule{0, 0, 0};
};
group_run group_run_of(const group_counts& group, const tuning_request& tuning);

// The exact test's columns of a group of two or more tested alleles with
// calls (stats/hwe_exact.h, stats/hwe_markov.h); nothing for other groups.
// The chain of three or more alleles takes most of a millisecond: callers
// run it on their computing threads.
void add_exact_test(const group_counts& group, int64_t hwe_tables, group_evidence* result);

// A group's columns from its locus computation: computed, or
// lost_to_rounding with the fault and the values reached.
void record_locus(locus_result&& locus, group_evidence* result);

}  // namespace drevel

#endif
