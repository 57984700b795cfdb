#include "evidence/equilibrium.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "evidence/cells.h"

using namespace drevel;

static std::string e(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%e", v);
  return buf;
}

struct fit {
  std::vector<double> h;
  double L;
};

static fit fit_counts(int k, const std::vector<double>& counts) {
  int c = k * (k + 1) / 2;
  std::vector<double> alpha(c + 1, 0);
  alpha[0] = c;
  for (int n = 1; n <= c; n++) alpha[n] = counts[n - 1] + 1.0001;
  fit f{std::vector<double>(c + 1, -7), 0};
  Find_Argmax_Hyp(alpha.data(), f.h.data(), &f.L, k, c);
  EXPECT_EQ(f.h[0], -7);  // element 0 left alone
  return f;
}

TEST(equilibrium, two_alleles_with_counts_10_20_30) {
  fit f = fit_counts(2, {10, 20, 30});
  EXPECT_EQ(e(f.h[1]), "1.111117e-01");
  EXPECT_EQ(e(f.h[2]), "4.444450e-01");
  EXPECT_EQ(e(f.h[3]), "4.444433e-01");
  EXPECT_EQ(e(f.L), "-6.251914e+01");
}

TEST(equilibrium, one_allele_needs_no_system) {
  fit f = fit_counts(1, {5});
  EXPECT_EQ(f.h[1], 1);
  EXPECT_EQ(f.L, 0);
}

TEST(equilibrium, zero_counts_give_uniform_alleles) {
  for (int k : {2, 3, 6}) {
    int c = k * (k + 1) / 2;
    fit f = fit_counts(k, std::vector<double>(c, 0));
    for (int i = 1; i <= k; i++)
      for (int j = 1; j <= i; j++)
        EXPECT_NEAR(f.h[posvectinf(i, j)], (i == j ? 1.0 : 2.0) / (k * k), 1e-15) << k;
  }
}

TEST(equilibrium, fitted_cells_are_hardy_weinberg_proportions) {
  // Allele 2 and allele k = 4 carry no counts at all.
  std::vector<double> counts = {12, 0, 0, 7, 0, 3, 0, 0, 0, 0};
  fit f = fit_counts(4, counts);
  EXPECT_TRUE(std::isfinite(f.L));
  double sum = 0;
  for (int n = 1; n <= 10; n++) {
    EXPECT_GT(f.h[n], 0);
    sum += f.h[n];
  }
  EXPECT_NEAR(sum, 1, 1e-14);
  // p(i) = s(i) / sum s, with the allele totals of the table by hand.
  double s1 = 2 * 12.0001 + 0.0001 + 7.0001 + 0.0001;
  double s2 = 0.0001 + 2 * 0.0001 + 0.0001 + 0.0001;
  double s3 = 7.0001 + 0.0001 + 2 * 3.0001 + 0.0001;
  double s4 = 0.0001 + 0.0001 + 0.0001 + 2 * 0.0001;
  double total = s1 + s2 + s3 + s4;
  double p[] = {0, s1 / total, s2 / total, s3 / total, s4 / total};
  for (int i = 1; i <= 4; i++) {
    EXPECT_NEAR(f.h[posvectinf(i, i)], p[i] * p[i], 1e-10);
    for (int j = 1; j < i; j++) {
      double t = std::sqrt(f.h[posvectinf(i, i)]) * std::sqrt(f.h[posvectinf(j, j)]);
      EXPECT_NEAR(f.h[posvectinf(i, j)], 2 * t, 1e-12);
    }
  }
  // The rare last allele is 1 minus the others: close, not exact.
  EXPECT_NEAR(f.h[posvectinf(4, 4)] / (p[4] * p[4]), 1, 1e-5);
  EXPECT_GT(f.h[posvectinf(4, 4)], 0);
}
