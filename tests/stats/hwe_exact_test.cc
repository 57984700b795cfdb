// The exact test against its definition: the probability of each
// heterozygote count given the allele counts, n! / (n11! n12! n22!) 2^n12
// n1! n2! / (2n)!, evaluated independently in logarithms and summed; at
// the edges (no heterozygotes, all heterozygotes, one copy of an allele,
// symmetric ties) and at 10^5 individuals, where the tails must neither
// overflow nor vanish while they are representable.
#include "stats/hwe_exact.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "stats/hwe_markov.h"
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

namespace {

// The exact test of k alleles by full enumeration: every table with the
// observed allele counts and its probability n! prod n_i! 2^H / ((2n)!
// prod n_ij!), in logarithms.
double enumerated_p(const std::vector<int64_t>& observed, int k) {
  const size_t c = observed.size();
  std::vector<int64_t> allele(static_cast<size_t>(k), 0);
  int64_t n = 0;
  for (int a = 0, m = 0; a < k; a++)
    for (int b = 0; b <= a; b++, m++) {
      allele[static_cast<size_t>(a)] += observed[static_cast<size_t>(m)];
      allele[static_cast<size_t>(b)] += observed[static_cast<size_t>(m)];
      n += observed[static_cast<size_t>(m)];
    }
  auto log_p = [&](const std::vector<int64_t>& t) {
    double s = 0;
    for (int a = 0, m = 0; a < k; a++)
      for (int b = 0; b <= a; b++, m++)
        s += (a != b ? t[static_cast<size_t>(m)] * std::log(2.0) : 0) -
             std::lgamma(t[static_cast<size_t>(m)] + 1.0);
    return s;
  };
  const double at = log_p(observed);
  double total = 0, tail = 0;
  std::vector<int64_t> t(c, 0);
  // Fill the cells one by one, keeping each allele's remaining copies >= 0.
  std::vector<int64_t> left = allele;
  std::function<void(size_t)> fill = [&](size_t m) {
    if (m == c) {
      for (int64_t x : left)
        if (x != 0) return;
      const double lp = log_p(t);
      total += std::exp(lp - at);
      if (lp <= at + 1e-9) tail += std::exp(lp - at);
      return;
    }
    int a = 0;
    while ((a + 1) * (a + 2) / 2 <= static_cast<int>(m)) a++;
    const int b = static_cast<int>(m) - a * (a + 1) / 2;
    const int64_t most = a == b ? left[static_cast<size_t>(a)] / 2
                                : std::min(left[static_cast<size_t>(a)], left[static_cast<size_t>(b)]);
    for (int64_t x = 0; x <= most; x++) {
      t[m] = x;
      left[static_cast<size_t>(a)] -= a == b ? 2 * x : x;
      left[static_cast<size_t>(b)] -= a == b ? 0 : x;
      fill(m + 1);
      left[static_cast<size_t>(a)] += a == b ? 2 * x : x;
      left[static_cast<size_t>(b)] += a == b ? 0 : x;
    }
  };
  fill(0);
  return tail / total;
}

}  // namespace

// Three alleles and up to 20 individuals: the chain's estimate within four
// of its standard errors (and a floor for estimates near 0 or 1) of the
// enumerated p-value; two alleles: near the exact recurrence.
TEST(hwe_markov, agrees_with_full_enumeration_on_small_tables) {
  std::mt19937 rng(3);
  int checked = 0;
  for (int trial = 0; trial < 40; trial++) {
    std::vector<int64_t> t(6);
    for (int64_t& x : t) x = static_cast<int64_t>(rng() % 5);
    if (trial % 4 == 0) t = {6, 0, 6, 0, 0, 6};  // far from equilibrium
    std::vector<double> counts(t.begin(), t.end());
    const hwe_markov_p got = hwe_markov(counts, 3);
    int64_t n = 0;
    for (int64_t x : t) n += x;
    if (n == 0) continue;
    const double want = enumerated_p(t, 3);
    EXPECT_NEAR(got.p, want, 4 * got.se + 0.01) << trial;
    EXPECT_LE(got.midp, got.p);
    checked++;
  }
  EXPECT_GT(checked, 30);
  const hwe_markov_p two = hwe_markov({15, 4, 3}, 2);
  EXPECT_NEAR(two.p, hwe_exact(15, 4, 3).p, 4 * two.se + 0.005);
  // The same estimate on every call.
  EXPECT_EQ(hwe_markov({3, 1, 2, 0, 4, 1}, 3).p, hwe_markov({3, 1, 2, 0, 4, 1}, 3).p);
}

// Counts tables may hold any cohort up to 2^30 individuals: both tests must
// answer in memory that does not grow with it (a table of 7 * 10^8 came from
// fuzzing and asked for gigabytes).
TEST(hwe_exact, cohorts_of_a_billion_need_little_memory) {
  const int64_t q = int64_t{1} << 28;
  const hwe_exact_p at_equilibrium = hwe_exact(q, 2 * q, q);
  EXPECT_GT(at_equilibrium.p, 0.5);
  EXPECT_LE(at_equilibrium.p, 1);
  EXPECT_EQ(hwe_exact(2 * q, 0, 2 * q).p, 0);  // far below every double
  const hwe_markov_p chain = hwe_markov({double(q), double(q), double(q), 10, 10, 10}, 3);
  EXPECT_GE(chain.p, 0);
  EXPECT_LE(chain.p, 1);
}
