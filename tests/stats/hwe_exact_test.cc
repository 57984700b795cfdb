// The exact test against its definition: the probability of each
// heterozygote count given the allele counts, n! / (n11! n12! n22!) 2^n12
// n1! n2! / (2n)!, evaluated independently in logarithms and summed; at
// the edges (no heterozygotes, all heterozygotes, one copy of an allele,
// symmetric ties) and at 10^5 individuals, where the tails must neither
// overflow nor vanish while they are representable.
#include "stats/hwe_exact.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "stats/standardized_evidence.h"

using namespace drevel;

namespace {

// log P(het = h) for n individuals with n1 copies of allele 1.
double log_prob(int64_t n, int64_t n1, int64_t h) {
  const int64_t hom1 = (n1 - h) / 2, hom2 = n - h - hom1, n2 = 2 * n - n1;
  return std::lgamma(n + 1.0) - std::lgamma(hom1 + 1.0) - std::lgamma(h + 1.0) -
         std::lgamma(hom2 + 1.0) + h * std::log(2.0) + std::lgamma(n1 + 1.0) +
         std::lgamma(n2 + 1.0) - std::lgamma(2 * n + 1.0);
}

hwe_exact_p by_definition(int64_t hom1, int64_t het, int64_t hom2) {
  const int64_t n = hom1 + het + hom2, n1 = 2 * hom1 + het;
  std::vector<double> lp;
  std::vector<int64_t> hs;
  for (int64_t h = n1 % 2; h <= std::min(n1, 2 * n - n1); h += 2) {
    hs.push_back(h);
    lp.push_back(log_prob(n, n1, h));
  }
  const double observed = log_prob(n, n1, het);
  hwe_exact_p out{0, 0, 0, 0};
  for (size_t i = 0; i < lp.size(); i++) {
    const double x = std::exp(lp[i]);
    if (lp[i] <= observed + 1e-9) {
      out.p += x;
      out.midp += std::fabs(lp[i] - observed) < 1e-9 ? x / 2 : x;
    }
    if (hs[i] <= het) out.deficit += x;
    if (hs[i] >= het) out.excess += x;
  }
  return out;
}

void expect_near_rel(double got, double want, double rel, const char* what) {
  EXPECT_NEAR(got, want, rel * want + 1e-300) << what;
}

}  // namespace

TEST(hwe_exact, equals_the_definition_on_small_and_edge_tables) {
  std::mt19937 rng(7);
  std::vector<std::array<int64_t, 3>> tables = {
      {10, 0, 10}, {0, 20, 0}, {19, 1, 0}, {0, 1, 19}, {30, 0, 1}, {5, 10, 5},
      {1, 0, 0},   {0, 1, 0},  {50, 0, 50}, {25, 50, 25}};
  for (int i = 0; i < 300; i++)
    tables.push_back({static_cast<int64_t>(rng() % 60), static_cast<int64_t>(rng() % 60),
                      static_cast<int64_t>(rng() % 8)});
  for (const auto& t : tables) {
    SCOPED_TRACE(::testing::Message() << t[0] << "/" << t[1] << "/" << t[2]);
    const hwe_exact_p got = hwe_exact(t[0], t[1], t[2]);
    const hwe_exact_p want = by_definition(t[0], t[1], t[2]);
    expect_near_rel(got.p, std::min(1.0, want.p), 1e-9, "p");
    expect_near_rel(got.midp, std::min(1.0, want.midp), 1e-9, "midp");
    expect_near_rel(got.deficit, std::min(1.0, want.deficit), 1e-9, "deficit");
    expect_near_rel(got.excess, std::min(1.0, want.excess), 1e-9, "excess");
    EXPECT_LE(got.midp, got.p);
  }
  // One allele only, or nobody: nothing to test.
  EXPECT_EQ(hwe_exact(40, 0, 0).p, 1);
  EXPECT_EQ(hwe_exact(0, 0, 0).excess, 1);
}

TEST(hwe_exact, large_cohorts_keep_their_tails) {
  // 10^5 individuals: a mild deficit, a strong one, and the most extreme.
  const struct {
    int64_t hom1, het, hom2;
  } cases[] = {{49000, 41000, 10000}, {60000, 20000, 20000}, {50000, 0, 50000}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.het);
    const hwe_exact_p got = hwe_exact(c.hom1, c.het, c.hom2);
    const hwe_exact_p want = by_definition(c.hom1, c.het, c.hom2);
    EXPECT_TRUE(std::isfinite(got.p));
    if (want.p > 1e-290) {
      expect_near_rel(got.p, want.p, 1e-6, "p");
      expect_near_rel(got.deficit, want.deficit, 1e-6, "deficit");
      EXPECT_GT(got.p, 0);
    } else {
      EXPECT_LT(got.p, 1e-290);
    }
    expect_near_rel(got.excess, std::min(1.0, want.excess), 1e-6, "excess");
  }
}

// SEV against the formula evaluated independently: chi-square with 2 and 1
// degrees of freedom in closed form (k = 2: c - 1 = 2, c - k = 1), so
// 1 - E = 1 - exp(-q/2) gives q = -2 ln E, and SEV = erfc(sqrt(q/2)).
TEST(standardized_evidence, equals_the_closed_form_for_two_alleles) {
  for (double E : {1e-12, 1e-4, 0.01, 0.05, 0.3, 0.5, 0.9, 0.999}) {
    const double q = -2 * std::log(E);
    EXPECT_NEAR(*standardized_evidence(E, 2), std::erfc(std::sqrt(q / 2)), 1e-12) << E;
  }
  EXPECT_EQ(*standardized_evidence(0, 3), 0);
  EXPECT_EQ(*standardized_evidence(1, 3), 1);
  EXPECT_FALSE(standardized_evidence(0.5, 1));
  EXPECT_FALSE(standardized_evidence(std::nan(""), 2));
  // More alleles: SEV below E (the departure has fewer dimensions than the
  // whole), and increasing in E.
  double last = 0;
  for (double E : {0.001, 0.01, 0.1, 0.5}) {
    const double s = *standardized_evidence(E, 4);
    EXPECT_LT(s, E);
    EXPECT_GT(s, last);
    last = s;
  }
}
