// The checks that refuse loci double precision cannot compute: each limit at
// its edge, each fault from a locus that shows it, and no refusal of the
// loci real data give.
#include "locus/locus_check.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "locus/locus_evidence.h"

using namespace drevel;

namespace {

std::vector<double> alpha_of(const std::vector<double>& counts) {
  std::vector<double> alpha{static_cast<double>(counts.size())};
  for (double x : counts) alpha.push_back(x + 1.0001);
  return alpha;
}

struct locus_run {
  locus_fault fault;
  double L_max, L_hyp, E;
  int64_t draws;
};

locus_run run(int k, const std::vector<double>& counts, mc_engine engine = mc_engine::fast) {
  int c = k * (k + 1) / 2;
  std::vector<double> alpha = alpha_of(counts);
  rand48_state state;
  engine_choice choice;
  choice.engine = engine;
  locus_result l = compute_locus(k, c, alpha.data(), mc_rule{2000, 500, 0.005}, state, choice);
  return locus_run{l.fault, l.L_max, l.L_hyp, l.E, l.draws};
}

}  // namespace

TEST(locus_check, the_total_at_and_past_its_limit) {
  double total;
  std::vector<double> at = alpha_of({largest_safe_total - 50, 25, 25});
  EXPECT_EQ(check_total(at.data(), 3, &total), locus_fault::none);
  EXPECT_NEAR(total, largest_safe_total, 1e-2);
  std::vector<double> fractional = alpha_of({largest_safe_total, 0.0005, 0});
  EXPECT_EQ(check_total(fractional.data(), 3, &total), locus_fault::none);
  std::vector<double> past = alpha_of({largest_safe_total, 1, 0});
  EXPECT_EQ(check_total(past.data(), 3, &total), locus_fault::total_too_large);
  std::vector<double> overflow = alpha_of({1e308, 1e308, 1e308});
  EXPECT_EQ(check_total(overflow.data(), 3, &total), locus_fault::total_not_finite);
}

TEST(locus_check, maxima_and_evidence) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(check_maxima(-inf, -5, 100, 3), locus_fault::mode_not_finite);
  EXPECT_EQ(check_maxima(nan, -5, 100, 3), locus_fault::mode_not_finite);
  EXPECT_EQ(check_maxima(-5, -inf, 100, 3), locus_fault::fit_not_finite);
  EXPECT_EQ(check_maxima(-5, nan, 100, 3), locus_fault::fit_not_finite);
  // A tie within rounding is no fault; more is.
  const double total = 1e8, L = -4e8;
  const double rounding = 4.0 * 3 * DBL_EPSILON * (total + 4e8);
  EXPECT_EQ(check_maxima(L, L + 0.5 * rounding, total, 3), locus_fault::none);
  EXPECT_EQ(check_maxima(L, L + 2 * rounding, total, 3), locus_fault::maxima_out_of_order);
  EXPECT_EQ(check_maxima(-7, -9, 10, 3), locus_fault::none);
  EXPECT_EQ(check_evidence(0), locus_fault::none);
  EXPECT_EQ(check_evidence(1), locus_fault::none);
  EXPECT_EQ(check_evidence(nan), locus_fault::evidence_not_finite);
  EXPECT_EQ(check_evidence(-1e-17), locus_fault::evidence_not_finite);
  EXPECT_EQ(check_evidence(1 + 1e-15), locus_fault::evidence_not_finite);
}

TEST(locus_check, each_fault_from_a_locus_that_shows_it) {
  locus_run huge = run(2, {1e13, 1e3, 0});
  EXPECT_EQ(huge.fault, locus_fault::total_too_large);
  EXPECT_TRUE(std::isnan(huge.L_max) && std::isnan(huge.E));
  EXPECT_EQ(huge.draws, 0);
  EXPECT_EQ(run(2, {1e308, 1e308, 1e308}).fault, locus_fault::total_not_finite);
  // The last allele absent at a total of 45000: its fitted frequency is lost.
  for (mc_engine engine : {mc_engine::fast, mc_engine::literal}) {
    locus_run fit = run(3, {15000, 15000, 15000, 0, 0, 0}, engine);
    EXPECT_EQ(fit.fault, locus_fault::fit_not_finite);
    EXPECT_TRUE(std::isinf(fit.L_hyp));
    EXPECT_TRUE(std::isfinite(fit.L_max));
    EXPECT_EQ(fit.draws, 0) << "refused before the Monte Carlo estimate";
  }
  // The same counts with the absent allele first compute.
  EXPECT_EQ(run(3, {0, 0, 15000, 0, 15000, 15000}).fault, locus_fault::none);
}

TEST(locus_check, the_loci_of_real_data_are_never_refused) {
  // Every allele seen, totals up to a million individuals, and the limits:
  // empty loci, one allele, loci at equilibrium (L_max and L_hyp tie).
  std::mt19937 rng(7);
  for (int trial = 0; trial < 300; trial++) {
    int k = 1 + static_cast<int>(rng() % 6);
    int c = k * (k + 1) / 2;
    double scale = std::pow(10.0, static_cast<double>(rng() % 7));
    std::vector<double> counts(c);
    for (double& x : counts) x = std::floor(scale * (rng() % 1000) / 1000.0);
    // Each allele seen: its homozygote at least once.
    for (int i = 1; i <= k; i++) counts[i * (i + 1) / 2 - 1] += 1;
    locus_run r = run(k, counts);
    EXPECT_EQ(r.fault, locus_fault::none) << "k " << k << ", scale " << scale;
    EXPECT_GE(r.E, 0);
    EXPECT_LE(r.E, 1);
  }
  EXPECT_EQ(run(2, {0, 0, 0}).fault, locus_fault::none);
  EXPECT_EQ(run(1, {12}).fault, locus_fault::none);
  for (double n : {1.0, 1e3, 1e6, 1e8})
    EXPECT_EQ(run(2, {n, 2 * n, n}).fault, locus_fault::none) << n;
  EXPECT_EQ(run(2, {largest_safe_total, 0, 0}).fault, locus_fault::none);
}

TEST(locus_check, descriptions_name_the_cause) {
  std::vector<double> huge = alpha_of({1e13, 1e3, 0});
  EXPECT_EQ(describe_locus_fault(locus_fault::total_too_large, huge.data(), 2, 3, 0, 0, 0)
                .find("the counts add up to 10000000001000, more than 10000000000"),
            0u);
  std::vector<double> fit = alpha_of({15000, 15000, 15000, 0, 0, 0});
  std::string text = describe_locus_fault(locus_fault::fit_not_finite, fit.data(), 3, 6, -1,
                                          -std::numeric_limits<double>::infinity(), 0);
  EXPECT_NE(text.find("allele 3, the last, has 0 of the 90000 allele copies"), std::string::npos)
      << text;
  EXPECT_EQ(describe_locus_fault(locus_fault::none, fit.data(), 3, 6, 0, 0, 0), "");
}
