#include "fast/batch/batch_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "fast/fast_engine.h"
#include "evidence/kernel.h"
#include "evidence/monte_carlo.h"
#include "fast/batch/fixed_start_stream.h"
#include "random/dirirnd.h"
#include "support/literal_kernels.h"
#include "random/rand48_access.h"

using namespace drevel;

namespace {

// A locus with its own alpha and the literal engine's outcome.
struct case_locus {
  std::vector<double> alpha;
  double L_hyp = 0;
  int32_t maxmc = 300, minmc = 100;
  double precision = 0;
  double r = 0;
  int64_t draws = 0, hits = 0;
  bool at_maxmc = false;
  uint64_t end_state = 0;
};

// Small loci as they come from genotype counts and beyond: shapes on both
// gamma branches, at 6 and next to it, fractional counts, counts up to 10^6
// and a few up to 10^9, 1 to 6 alleles.
std::vector<double> random_alpha(std::mt19937_64& rng) {
  int k = 1 + static_cast<int>(rng() % 6);
  int c = k * (k + 1) / 2;
  std::vector<double> alpha(static_cast<size_t>(c) + 1);
  alpha[0] = c;
  std::uniform_real_distribution<double> unit(0, 1);
  for (int m = 1; m <= c; m++) {
    double& a = alpha[static_cast<size_t>(m)];
    switch (rng() % 10) {
      case 0: a = 1.0001; break;
      case 1: a = 1.0001 + static_cast<double>(rng() % 5); break;
      case 2: a = 1 + 5 * unit(rng); break;
      case 3: a = 6.0; break;
      case 4: a = std::nextafter(6.0, rng() % 2 ? 0.0 : 7.0); break;
      case 5: a = 6 + 40 * unit(rng); break;
      case 6: a = 1.0001 + std::floor(std::pow(10.0, 6 * unit(rng))); break;
      case 7: a = rng() % 8 == 0 ? 1.0001 + std::floor(std::pow(10.0, 9 * unit(rng))) : 1001.0001; break;
      default: a = 1.0001 + static_cast<double>(rng() % 1000); break;
    }
  }
  return alpha;
}

case_locus make_case(std::mt19937_64& rng, int i) {
  case_locus t;
  t.alpha = random_alpha(rng);
  std::vector<double> L = literal_kernels(t.alpha, 300);
  double tie = L[rng() % L.size()];
  std::sort(L.begin(), L.end());
  switch (i % 4) {
    case 0: t.L_hyp = tie; break;  // a tie is a hit
    case 1: t.L_hyp = std::nextafter(tie, -INFINITY); break;
    case 2: t.L_hyp = std::nextafter(tie, INFINITY); break;
    default: t.L_hyp = L[rng() % L.size()] + 1e-3; break;
  }
  // Mostly short runs; some to a larger maxmc, some stopped by the precision.
  if (i % 5 == 0) {
    t.maxmc = 2000 + static_cast<int32_t>(rng() % 4000);
    t.minmc = 200;
    t.precision = i % 10 == 0 ? 0.02 : 0;
  }
  int c = static_cast<int>(t.alpha.size()) - 1;
  rand48_state g;
  mc_estimate e =
      monte_carlo_literal(t.alpha.data(), t.L_hyp, mc_rule{t.maxmc, t.minmc, t.precision}, c, g);
  t.r = e.r;
  t.draws = e.draws;
  t.hits = e.hits;
  t.at_maxmc = e.at_maxmc;
  t.end_state = rand48_access::get(g);
  return t;
}

std::vector<batch_locus> loci_of(const std::vector<case_locus>& cases) {
  std::vector<batch_locus> loci;
  for (const case_locus& t : cases) {
    batch_locus l;
    l.alpha = t.alpha.data();
    l.c = static_cast<int>(t.alpha.size()) - 1;
    l.L_hyp = t.L_hyp;
    l.maxmc = t.maxmc;
    l.minmc = t.minmc;
    l.precision = t.precision;
    loci.push_back(l);
  }
  return loci;
}

void expect_literal(const std::vector<case_locus>& cases, const std::vector<batch_result>& got) {
  ASSERT_EQ(cases.size(), got.size());
  for (size_t i = 0; i < cases.size(); i++) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].r, cases[i].r);
    EXPECT_EQ(got[i].draws, cases[i].draws);
    EXPECT_EQ(got[i].hits, cases[i].hits);
    EXPECT_EQ(got[i].at_maxmc, cases[i].at_maxmc);
    EXPECT_EQ(got[i].end_state, cases[i].end_state);
    EXPECT_EQ(got[i].check.r, got[i].r);
    if (::testing::Test::HasFailure()) return;
  }
}

std::vector<batch_path> paths_here() {
  std::vector<batch_path> paths{batch_path::scalar};
  if (batch_path_width(batch_path::automatic) >= 8) paths.push_back(batch_path::avx2);
  if (batch_path_width(batch_path::automatic) >= 16) paths.push_back(batch_path::avx512);
  return paths;
}

const std::vector<case_locus>& random_cases() {
  static const std::vector<case_locus> cases = [] {
    std::mt19937_64 rng(20261212);
    std::vector<case_locus> v;
    for (int i = 0; i < 400; i++) v.push_back(make_case(rng, i));
    return v;
  }();
  return cases;
}

}  // namespace

// Every path, every width up to the path's, one and two threads: the
// literal engine's estimate, draws and final state, locus by locus, with
// thresholds at a draw's own kernel and one double either side (which the
// bound must send to the literal replay).
TEST(batch_engine, matches_the_literal_engine_on_random_small_loci) {
  const std::vector<case_locus>& cases = random_cases();
  std::vector<batch_locus> loci = loci_of(cases);
  for (batch_path path : paths_here()) {
    for (int width : {1, 3, 8, 16}) {
      if (width > batch_path_width(path) && path != batch_path::scalar) continue;
      for (int threads : {1, 2}) {
        SCOPED_TRACE(std::string(batch_path_name(path)) + " width " + std::to_string(width) +
                     " threads " + std::to_string(threads));
        batch_options options;
        options.path = path;
        options.width = width;
        batch_stats stats;
        expect_literal(cases, run_batch(loci, options, threads, &stats));
        if (HasFailure()) return;
        EXPECT_EQ(stats.per_site, 0);
        EXPECT_GT(stats.kernel_replays, static_cast<int64_t>(cases.size()) / 2);
      }
    }
  }
}
