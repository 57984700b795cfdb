// The joint row of a site's groups: the product of one factor is that
// factor, groups in equilibrium give a high joint evidence and one group far
// from it a low one, groups without a test are left out and counted, and
// the joint draws' hits agree with the joint log-kernel evaluated here on
// its own.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "evidence/joint_monte_carlo.h"
#include "locus/joint_locus.h"
#include "random/dirirnd.h"
#include "sites/genotype_tally.h"
#include "sites/site_evidence.h"

using namespace drevel;

namespace {

// A two-allele site with one group per entry of `groups`, each given as its
// (hom. first, het., hom. second) counts.
site_record two_allele_site(const std::vector<std::array<int, 3>>& groups) {
  genotype_tally tally;
  tally.start(2, static_cast<int>(groups.size()));
  for (size_t g = 0; g < groups.size(); g++) {
    for (int n = 0; n < groups[g][0]; n++) tally.add_call(static_cast<int>(g), 0, 0);
    for (int n = 0; n < groups[g][1]; n++) tally.add_call(static_cast<int>(g), 0, 1);
    for (int n = 0; n < groups[g][2]; n++) tally.add_call(static_cast<int>(g), 1, 1);
  }
  site_record site;
  site.k = 2;
  tally.finish(false, 20, &site.groups);
  site.joint = joint_rows::after_groups;
  return site;
}

// Counts in Hardy-Weinberg proportions for n individuals at allele
// frequency p, and counts with no heterozygote at all.
std::array<int, 3> at_equilibrium(int n, double p) {
  const int het = static_cast<int>(std::lround(2 * p * (1 - p) * n));
  const int hom1 = static_cast<int>(std::lround(p * p * n));
  return {hom1, het, n - het - hom1};
}

}  // namespace

TEST(joint_evidence, one_factor_is_that_factors_row_under_every_engine) {
  for (mc_engine engine : {mc_engine::fast, mc_engine::literal}) {
    tuning_request tuning;
    tuning.engine = engine;
    // A second group with one allele only: left out of the product.
    const site_record site = two_allele_site({{15, 4, 3}, {20, 0, 0}});
    const site_evidence e = compute_site_evidence(site, tuning, 20);
    ASSERT_TRUE(e.joint);
    const group_evidence& alone = e.groups[0];
    const group_evidence& joint = e.joint->row;
    ASSERT_EQ(alone.outcome, site_outcome::computed);
    EXPECT_EQ(joint.outcome, site_outcome::computed);
    EXPECT_EQ(joint.E, alone.E);
    EXPECT_EQ(joint.L_max, alone.L_max);
    EXPECT_EQ(joint.L_hyp, alone.L_hyp);
    EXPECT_EQ(joint.draws, alone.draws);
    EXPECT_EQ(joint.hits, alone.hits);
    EXPECT_EQ(joint.mc_se, alone.mc_se);
    EXPECT_EQ(joint.at_maxmc, alone.at_maxmc);
    EXPECT_EQ(joint.sev, alone.sev);
    EXPECT_EQ(e.joint->joined, 1);
    EXPECT_EQ(e.joint->left_out, 1);
    EXPECT_EQ(e.joint->called, 42);
  }
}

TEST(joint_evidence, equilibrium_everywhere_is_high_and_one_departure_is_low) {
  const site_record calm =
      two_allele_site({at_equilibrium(60, 0.5), at_equilibrium(80, 0.3), at_equilibrium(50, 0.7)});
  const site_evidence a = compute_site_evidence(calm, tuning_request(), 20);
  ASSERT_EQ(a.joint->row.outcome, site_outcome::computed);
  EXPECT_GT(a.joint->row.E, 0.5);
  EXPECT_EQ(a.joint->joined, 3);

  // The same, with the second group split into homozygotes only.
  const site_record one_off = two_allele_site({at_equilibrium(60, 0.5), {50, 0, 30},
                                               at_equilibrium(50, 0.7)});
  const site_evidence b = compute_site_evidence(one_off, tuning_request(), 20);
  ASSERT_EQ(b.joint->row.outcome, site_outcome::computed);
  EXPECT_LT(b.joint->row.E, 0.01);
  EXPECT_LT(b.joint->row.E, b.groups[0].E);
  // The joint maxima are the groups' sums.
  EXPECT_DOUBLE_EQ(b.joint->row.L_hyp, b.groups[0].L_hyp + b.groups[1].L_hyp + b.groups[2].L_hyp);
  EXPECT_DOUBLE_EQ(b.joint->row.L_max, b.groups[0].L_max + b.groups[1].L_max + b.groups[2].L_max);
}

TEST(joint_evidence, groups_without_a_test_are_left_out_and_counted) {
  const site_evidence none =
      compute_site_evidence(two_allele_site({{0, 0, 0}, {10, 0, 0}}), tuning_request(), 20);
  EXPECT_EQ(none.joint->row.outcome, site_outcome::monomorphic);
  EXPECT_EQ(none.joint->joined, 0);
  EXPECT_EQ(none.joint->left_out, 2);
  const site_evidence empty =
      compute_site_evidence(two_allele_site({{0, 0, 0}, {0, 0, 0}}), tuning_request(), 20);
  EXPECT_EQ(empty.joint->row.outcome, site_outcome::no_calls);
  // A record of the joint row alone computes no group of its own.
  site_record only = two_allele_site({{15, 4, 3}, {9, 9, 2}});
  only.joint = joint_rows::only;
  const site_evidence j = compute_site_evidence(only, tuning_request(), 20);
  EXPECT_EQ(j.groups[0].draws, 0);
  EXPECT_EQ(j.joint->row.outcome, site_outcome::computed);
  EXPECT_EQ(j.joint->joined, 2);
}

// Exactly N joint draws of three factors (two, three and two alleles),
// redrawn here from the same stream and judged by the log-kernel summed
// directly: sum over factors and cells of (alpha - 1) log theta.
TEST(joint_evidence, hits_agree_with_the_joint_log_kernel_evaluated_directly) {
  std::mt19937 rng(11);
  int compared = 0;
  for (int trial = 0; trial < 4; trial++) {
    std::vector<std::vector<double>> alpha;
    std::vector<joint_factor> factors;
    for (int k : {2, 3, 2}) {
      const int c = k * (k + 1) / 2;
      std::vector<double> a(static_cast<size_t>(c) + 1);
      a[0] = c;
      for (int n = 1; n <= c; n++) a[static_cast<size_t>(n)] = 1.0001 + static_cast<double>(rng() % 12);
      alpha.push_back(a);
    }
    int at = 0;
    for (int k : {2, 3, 2}) {
      factors.push_back(joint_factor{k, k * (k + 1) / 2, alpha[static_cast<size_t>(at)].data()});
      at++;
    }
    const int32_t N = 2000;
    rand48_state state;
    const joint_result got = compute_joint_locus(factors, mc_rule{N, N, 1e-9}, state);
    ASSERT_TRUE(got.result.computed());
    ASSERT_EQ(got.result.draws, N);

    rand48_state again;
    int64_t hits = 0;
    for (int d = 0; d < N; d++) {
      double L = 0;
      for (const joint_factor& f : factors) {
        std::vector<double> theta(static_cast<size_t>(f.c) + 1);
        dirirnd(f.alpha, theta.data(), f.c, again);
        for (int n = 1; n <= f.c; n++) L += (f.alpha[n] - 1) * std::log(theta[static_cast<size_t>(n)]);
      }
      // Within rounding of the threshold either answer is right.
      if (std::fabs(L - got.result.L_hyp) < 1e-9 * std::fabs(L)) {
        hits = -1;
        break;
      }
      hits += L >= got.result.L_hyp;
    }
    if (hits < 0) continue;
    EXPECT_EQ(got.result.hits, hits) << trial;
    EXPECT_DOUBLE_EQ(got.result.E, 1 - static_cast<double>(hits) / N);
    EXPECT_GT(hits, 0);
    compared++;
  }
  EXPECT_GE(compared, 3);
}
