// A site's groups: which are computed, the values of those that are (those
// of the tested alleles' counts alone), the heterozygosity columns worked
// out by hand, and AT_MAXMC against the stopping rule followed draw by
// draw.
#include "sites/site_evidence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "evidence/equilibrium.h"
#include "evidence/kernel.h"
#include "evidence/monte_carlo.h"
#include "random/dirirnd.h"
#include "sites/genotype_tally.h"

using namespace drevel;

namespace {

struct call {
  int a, b;
};

// A one-group site of k declared alleles from its calls.
site_record site_of(int k, const std::vector<call>& calls, bool declared = false,
                    int max_alleles = 20) {
  genotype_tally tally;
  tally.start(k, 1);
  for (const call& c : calls) tally.add_call(0, c.a, c.b);
  site_record site;
  site.k = k;
  site.declared_alleles = declared;
  tally.finish(declared, max_alleles, &site.groups);
  return site;
}

std::vector<call> repeated(std::vector<std::pair<call, int>> list) {
  std::vector<call> calls;
  for (const auto& item : list)
    for (int n = 0; n < item.second; n++) calls.push_back(item.first);
  return calls;
}

group_evidence only_group(const site_record& site, const tuning_request& tuning = {}) {
  site_evidence e = compute_site_evidence(site, tuning, 20);
  EXPECT_EQ(e.groups.size(), 1u);
  return e.groups.at(0);
}

}  // namespace

TEST(site_evidence, heterozygosity_columns_worked_out_by_hand) {
  // 19 0/0, 1 0/1, 2 1/1: 39 and 5 copies of 44; H_obs = 1/22,
  // H_exp = 1 - (39^2 + 5^2)/44^2 = 390/1936, F = 1 - (1/22)/(390/1936) = 302/390.
  group_evidence e = only_group(site_of(2, repeated({{{0, 0}, 19}, {{0, 1}, 1}, {{1, 1}, 2}})));
  EXPECT_EQ(e.outcome, site_outcome::computed);
  EXPECT_DOUBLE_EQ(*e.het_obs, 1.0 / 22);
  EXPECT_DOUBLE_EQ(*e.het_exp, 390.0 / 1936);
  EXPECT_DOUBLE_EQ(*e.F, 302.0 / 390);
  EXPECT_GT(*e.F, 0);  // a deficit of heterozygotes
  EXPECT_DOUBLE_EQ(e.mc_se, std::sqrt(e.E * (1 - e.E) / e.draws));

  // Ten heterozygotes alone: H_obs 1, H_exp 1/2, F = -1 (an excess).
  e = only_group(site_of(2, repeated({{{0, 1}, 10}})));
  EXPECT_EQ(*e.het_obs, 1.0);
  EXPECT_EQ(*e.het_exp, 0.5);
  EXPECT_EQ(*e.F, -1.0);

  // Three alleles, 2 0/0, 2 1/0, 2 2/1: copies 6, 4, 2 of 12, so
  // H_exp = 1 - (1/4 + 1/9 + 1/36) = 11/18, H_obs = 4/6, F = 1 - 12/11 = -1/11.
  e = only_group(site_of(3, repeated({{{0, 0}, 2}, {{1, 0}, 2}, {{2, 1}, 2}})));
  EXPECT_DOUBLE_EQ(*e.het_obs, 2.0 / 3);
  EXPECT_DOUBLE_EQ(*e.het_exp, 11.0 / 18);
  EXPECT_NEAR(*e.F, -1.0 / 11, 1e-15);  // 1 - 12/11 cancels
}

TEST(site_evidence, groups_not_computed_say_why) {
  // One allele seen (an ALT): monomorphic, H_exp 0, F undefined.
  group_evidence e = only_group(site_of(2, repeated({{{1, 1}, 7}})));
  EXPECT_EQ(e.outcome, site_outcome::monomorphic);
  EXPECT_EQ(*e.het_obs, 0.0);
  EXPECT_EQ(*e.het_exp, 0.0);
  EXPECT_FALSE(e.F);
  EXPECT_EQ(e.draws, 0);

  // With the declared alleles the same site is computed, as it always was.
  e = only_group(site_of(2, repeated({{{1, 1}, 7}}), true));
  EXPECT_EQ(e.outcome, site_outcome::computed);
  EXPECT_GT(e.draws, 0);
  EXPECT_FALSE(e.F);

  e = only_group(site_of(3, {}));
  EXPECT_EQ(e.outcome, site_outcome::no_calls);
  EXPECT_FALSE(e.het_obs);
  EXPECT_FALSE(e.het_exp);

  // More tested alleles than the limit; the declared count does not matter.
  site_record wide = site_of(30, {{0, 1}, {2, 3}, {4, 4}}, false, 4);
  e = only_group(wide);
  EXPECT_EQ(e.outcome, site_outcome::too_many_alleles);
  EXPECT_TRUE(e.het_exp);
  e = compute_site_evidence(site_of(30, {{0, 1}, {2, 3}}), tuning_request(), 4).groups[0];
  EXPECT_EQ(e.outcome, site_outcome::computed);
}

TEST(site_evidence, unseen_declared_alleles_do_not_change_the_values) {
  std::vector<call> calls = repeated({{{0, 0}, 19}, {{0, 2}, 1}, {{2, 2}, 2}});
  group_evidence three = only_group(site_of(3, calls));
  std::vector<call> renamed = repeated({{{0, 0}, 19}, {{0, 1}, 1}, {{1, 1}, 2}});
  group_evidence two = only_group(site_of(2, renamed));
  EXPECT_EQ(three.E, two.E);
  EXPECT_EQ(three.L_max, two.L_max);
  EXPECT_EQ(three.L_hyp, two.L_hyp);
  EXPECT_EQ(three.draws, two.draws);
  // With the third allele's empty cells the evidence is another one.
  group_evidence declared = only_group(site_of(3, calls, true));
  EXPECT_NE(declared.E, two.E);
}

// The stopping rule followed draw by draw, as the literal evaluation runs
// it, noting why it stopped.
struct stop_record {
  int64_t draws;
  bool at_maxmc;
};

stop_record follow_the_rule(const std::vector<double>& counts, int k, int32_t maxmc,
                            int32_t minmc, double precision) {
  int c = k * (k + 1) / 2;
  std::vector<double> alpha(c + 1), h(c + 1), theta(c + 1);
  alpha[0] = h[0] = theta[0] = c;
  for (int n = 1; n <= c; n++) alpha[n] = counts[n - 1] + 1.0001;
  double L_hyp;
  Find_Argmax_Hyp(alpha.data(), h.data(), &L_hyp, k, c);
  rand48_state state;
  mc_sums sums;
  for (int64_t N = 1;; N++) {
    dirirnd(alpha.data(), theta.data(), c, state);
    mc_add_draw(sums, LogDNFunc(alpha.data(), theta.data(), c) >= L_hyp ? 1 : 0);
    if (N % 100 != 0) continue;
    mc_check check = mc_check_sums(sums, N);
    if (!mc_stop(N, minmc, maxmc, check, precision)) continue;
    bool precise = check.HF < precision && check.HD < precision;
    return {N, N >= maxmc && !precise};
  }
}

TEST(site_evidence, at_maxmc_is_why_the_stopping_rule_stopped) {
  std::mt19937 rng(5);
  struct tuning_case {
    double precision;
    int32_t minmc, maxmc;
  };
  const tuning_case cases[] = {
      {0.005, 0, 0},       // the defaults, resolved per site
      {0.02, 300, 2000},   // mostly meets the precision
      {1e-6, 200, 700},    // never does
      {0.5, 1000, 1000},   // meets it exactly when it reaches maxmc
      {0.05, 900, 250},    // minmc above maxmc
      {0.01, 100, 150},    // maxmc between checks
      {0.01, 100, -5},     // a negative maxmc stops at the first check
  };
  int at_maxmc = 0, precise = 0;
  for (int trial = 0; trial < 60; trial++) {
    int k = 2 + trial % 2;
    int c = k * (k + 1) / 2;
    std::vector<double> counts(c);
    // Some loci near equilibrium, some far, some with every draw a hit.
    for (double& x : counts) x = static_cast<double>(rng() % (trial % 3 == 0 ? 3 : 25));
    std::vector<call> calls;
    for (int i = 0, n = 0; i < k; i++)
      for (int j = 0; j <= i; j++, n++)
        for (int m = 0; m < counts[n]; m++) calls.push_back({i, j});
    if (calls.empty()) continue;
    const tuning_case& t = cases[trial % 7];
    for (mc_engine engine : {mc_engine::fast, mc_engine::literal}) {
      tuning_request tuning;
      tuning.precision = t.precision;
      tuning.minmc = t.minmc;
      tuning.maxmc = t.maxmc;
      tuning.engine = engine;
      site_record site = site_of(k, calls, true);
      group_evidence e = only_group(site, tuning);
      ASSERT_EQ(e.outcome, site_outcome::computed);
      int32_t minmc = t.minmc ? t.minmc : 500 * c, maxmc = t.maxmc ? t.maxmc : 10000 * c;
      double precision = t.precision;
      stop_record expected = follow_the_rule(counts, k, maxmc, minmc, precision);
      EXPECT_EQ(e.draws, expected.draws) << "trial " << trial;
      EXPECT_EQ(e.at_maxmc, expected.at_maxmc) << "trial " << trial << " draws " << e.draws;
      (expected.at_maxmc ? at_maxmc : precise)++;
    }
  }
  // Both endings occurred.
  EXPECT_GT(at_maxmc, 10);
  EXPECT_GT(precise, 10);
}
