// The batch computation of many sites against the site-by-site one: every
// group's columns equal, over groups that are computed, monomorphic, too
// large or without calls, repeated count vectors, tuning values of the
// user's and windows of one site and more; and stopping with sites in
// flight.
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

// Sites in, sites out in order, through a window smaller than the input.
std::vector<site_evidence> run_all(site_batch& batch, const std::vector<site_record>& sites) {
  std::vector<site_evidence> got;
  site_record back;
  site_evidence evidence;
  size_t next = 0;
  while (got.size() < sites.size()) {
    while (next < sites.size() && !batch.full()) batch.submit(sites[next++]);
    if (batch.take_next(std::chrono::milliseconds(50), &back, &evidence)) {
      EXPECT_EQ(back.groups.size(), sites[got.size()].groups.size());
      got.push_back(evidence);
    }
  }
  EXPECT_TRUE(batch.empty());
  return got;
}

}  // namespace

TEST(site_batch, every_group_as_the_site_by_site_computation) {
  struct setting {
    int groups, threads, max_alleles;
    size_t window;
    tuning_request tuning;
  };
  tuning_request short_runs;
  short_runs.minmc = 200;
  short_runs.maxmc = 2000;
  tuning_request loose;
  loose.precision = 0.02;
  for (const setting& set : {setting{1, 1, 20, 7, short_runs}, setting{3, 2, 3, 1, short_runs},
                             setting{2, 2, 20, 100, loose}}) {
    SCOPED_TRACE(std::to_string(set.groups) + " groups, " + std::to_string(set.threads) +
                 " threads");
    std::mt19937_64 rng(static_cast<uint64_t>(set.groups * 10 + set.threads));
    site_batch batch(set.tuning, set.max_alleles, set.threads, set.window);
    std::vector<site_record> sites;
    for (int s = 0; s < 60; s++) sites.push_back(random_site(rng, set.groups, set.max_alleles));
    // Repeats, near (often in flight together) and far (from the cache).
    for (int s = 0; s < 10; s++) sites.push_back(sites[static_cast<size_t>(s)]);
    for (int s = 0; s < 60; s++) sites.push_back(sites[static_cast<size_t>(s)]);
    std::vector<site_evidence> got = run_all(batch, sites);
    ASSERT_EQ(got.size(), sites.size());
    for (size_t s = 0; s < sites.size(); s++) {
      expect_same(got[s], compute_site_evidence(sites[s], set.tuning, set.max_alleles), s);
      if (HasFailure()) return;
    }
    site_batch_counts n = batch.close();
    EXPECT_GT(n.repeated, 0);
    EXPECT_GT(n.draws, 0);
  }
}

TEST(site_batch, nothing_to_compute_and_stopping_early) {
  {
    site_batch batch(tuning_request(), 20, 2, 4);
    EXPECT_TRUE(batch.empty());
    site_record back;
    site_evidence evidence;
    EXPECT_FALSE(batch.take_next(std::chrono::milliseconds(1), &back, &evidence));
    site_record none;
    none.k = 2;
    none.groups.resize(1);
    batch.submit(none);
    ASSERT_TRUE(batch.take_next(std::chrono::milliseconds(5000), &back, &evidence));
    EXPECT_EQ(evidence.groups.at(0).outcome, site_outcome::no_calls);
  }
  // Sites never taken back are dropped, the engines stopped.
  std::mt19937_64 rng(5);
  site_batch batch(tuning_request(), 20, 2, 50);
  for (int s = 0; s < 50; s++) batch.submit(random_site(rng, 1, 20));
  EXPECT_TRUE(batch.full());
}
