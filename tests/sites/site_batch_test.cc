// The batch computation of many sites against the site-by-site one: every
// group's columns equal, over groups that are computed, monomorphic, too
// large or without calls, repeated count vectors, tuning values of the
// user's and several calls on the same engines.
#include "sites/site_batch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "sites/genotype_tally.h"

using namespace drevel;

namespace {

// A site of k declared alleles and `groups` groups with random calls,
// skewed so that most are rare and a few far from equilibrium.
site_record random_site(std::mt19937_64& rng, int groups, int max_alleles) {
  int k = 1 + static_cast<int>(rng() % 5);
  int n = static_cast<int>(rng() % 60);
  genotype_tally tally;
  tally.start(k, groups);
  double rare = std::uniform_real_distribution<double>(0, 0.5)(rng);
  auto allele = [&]() {
    if (std::uniform_real_distribution<double>(0, 1)(rng) > rare) return 0;
    return static_cast<int>(rng() % static_cast<uint64_t>(k));
  };
  bool inbred = rng() % 4 == 0;
  for (int i = 0; i < n; i++) {
    int g = static_cast<int>(rng() % static_cast<uint64_t>(groups));
    int a = allele();
    tally.add_call(g, a, inbred && rng() % 2 ? a : allele());
  }
  site_record site;
  site.k = k;
  site.declared_alleles = rng() % 8 == 0;
  tally.finish(site.declared_alleles, max_alleles, &site.groups);
  return site;
}

void expect_same(const site_evidence& got, const site_evidence& want, size_t s) {
  ASSERT_EQ(got.groups.size(), want.groups.size()) << "site " << s;
  for (size_t g = 0; g < want.groups.size(); g++) {
    const group_evidence& a = got.groups[g];
    const group_evidence& b = want.groups[g];
    SCOPED_TRACE("site " + std::to_string(s) + " group " + std::to_string(g));
    EXPECT_EQ(a.outcome, b.outcome);
    // Bit for bit, NaN included.
    EXPECT_EQ(std::memcmp(&a.E, &b.E, sizeof a.E), 0) << a.E << " " << b.E;
    EXPECT_EQ(std::memcmp(&a.L_max, &b.L_max, sizeof a.L_max), 0);
    EXPECT_EQ(std::memcmp(&a.L_hyp, &b.L_hyp, sizeof a.L_hyp), 0);
    EXPECT_EQ(a.draws, b.draws);
    EXPECT_EQ(std::memcmp(&a.mc_se, &b.mc_se, sizeof a.mc_se), 0);
    EXPECT_EQ(a.at_maxmc, b.at_maxmc);
    EXPECT_EQ(a.het_obs, b.het_obs);
    EXPECT_EQ(a.het_exp, b.het_exp);
    EXPECT_EQ(a.F, b.F);
  }
}

}  // namespace

TEST(site_batch, every_group_as_the_site_by_site_computation) {
  struct setting {
    int groups, threads, max_alleles;
    tuning_request tuning;
  };
  tuning_request short_runs;
  short_runs.minmc = 200;
  short_runs.maxmc = 2000;
  tuning_request loose;
  loose.precision = 0.02;
  for (const setting& set : {setting{1, 1, 20, short_runs}, setting{3, 2, 3, short_runs},
                             setting{2, 2, 20, loose}}) {
    SCOPED_TRACE(std::to_string(set.groups) + " groups, " + std::to_string(set.threads) +
                 " threads");
    std::mt19937_64 rng(static_cast<uint64_t>(set.groups * 10 + set.threads));
    site_batch batch(set.tuning, set.max_alleles, set.threads);
    // Three calls on the same engines; the last repeats the first's sites.
    std::vector<site_record> first;
    for (int call = 0; call < 3; call++) {
      std::vector<site_record> sites;
      if (call == 2) {
        sites = first;
      } else {
        for (int s = 0; s < 60; s++) sites.push_back(random_site(rng, set.groups, set.max_alleles));
        // Repeats within a call, computed once.
        for (int s = 0; s < 10; s++) sites.push_back(sites[static_cast<size_t>(s)]);
      }
      if (call == 0) first = sites;
      std::vector<site_evidence> got = batch.compute(sites);
      ASSERT_EQ(got.size(), sites.size());
      for (size_t s = 0; s < sites.size(); s++) {
        expect_same(got[s], compute_site_evidence(sites[s], set.tuning, set.max_alleles), s);
        if (HasFailure()) return;
      }
    }
  }
}

TEST(site_batch, nothing_to_compute) {
  site_batch batch(tuning_request(), 20, 2);
  EXPECT_TRUE(batch.compute({}).empty());
  site_record none;
  none.k = 2;
  none.groups.resize(1);
  none.groups[0].tested = {};
  std::vector<site_evidence> got = batch.compute({none});
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].groups.at(0).outcome, site_outcome::no_calls);
}
