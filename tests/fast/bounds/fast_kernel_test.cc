#include "fast/bounds/fast_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "evidence/kernel.h"
#include "fast/bounds/kernel_bound.h"
#include "fast/draw/draw_plan.h"
#include "fast/stream/cpu_dispatch.h"

using namespace drevel;

namespace {

struct draw {
  std::vector<double> G;      // products first, then deviates, as the walk lays them
  std::vector<double> theta;  // the literal normalised draw, in cell order
  double L_literal;
};

// A draw of np product cells and n - np deviates with literal values:
// G = -log(P) and theta = G / sum(G), LogDNFunc on theta.
draw make_draw(std::mt19937_64& rng, const std::vector<double>& alpha, int np) {
  int n = static_cast<int>(alpha.size()) - 1;
  std::uniform_real_distribution<double> unit(1e-9, 1);
  draw d;
  d.theta.assign(n + 1, 0);
  std::vector<double> gam(n);
  for (int i = 0; i < n; i++) {
    double v = i < np ? unit(rng) * unit(rng) : 5 + 100 * unit(rng);
    d.G.push_back(v);
    gam[i] = i < np ? -std::log(v) : v;
  }
  double sum = 0;
  for (double g : gam) sum = sum + g;
  for (int i = 0; i < n; i++) d.theta[i + 1] = gam[i] / sum;
  d.L_literal = LogDNFunc(alpha.data(), d.theta.data(), n);
  return d;
}

}  // namespace

TEST(fast_kernel, log_kernel_is_within_the_bound_on_both_paths) {
  std::mt19937_64 rng(5);
  for (int n : {1, 3, 4, 5, 55, 210}) {
    std::vector<double> alpha(n + 1, 0);
    alpha[0] = n;
    for (int i = 1; i <= n; i++) alpha[i] = 1.0001 + static_cast<double>(rng() % 40);
    int np = n / 2;
    std::vector<double> dv;
    double D = 0;
    for (int i = 1; i <= n; i++) {
      dv.push_back(alpha[i] - 1);
      D = D + std::fabs(alpha[i] - 1);
    }
    for (int rep = 0; rep < 400; rep++) {
      bool short_log = rep % 2 == 1;
      kernel_layout layout{np, n, dv.data(), D, nullptr, 0, short_log};
      kernel_bound bound(n, D, short_log);
      draw d = make_draw(rng, alpha, np);
      std::vector<double> g1 = d.G, g2 = d.G;
      fast_kernel_result a = fast_kernel_portable(g1.data(), layout);
      fast_kernel_result b = fast_kernel_for(choose_simd_path(false))(g2.data(), layout);
      ASSERT_TRUE(a.ok && b.ok);
      EXPECT_EQ(g1, g2);  // lane for lane the same logarithms
      EXPECT_LE(std::fabs(a.L - d.L_literal), bound(a.magnitude));
      EXPECT_LE(std::fabs(b.L - d.L_literal), bound(b.magnitude));
      // far below the spread of L: replays stay rare
      EXPECT_LT(bound(b.magnitude), short_log ? 1e-4 : 1e-7);
    }
  }
}

TEST(fast_kernel, a_zero_product_or_an_extreme_deviate_is_not_ok) {
  std::vector<double> d = {1, 1, 1, 1, 1};
  kernel_layout layout{4, 5, d.data(), 5, nullptr, 0, false};
  for (bool portable : {true, false}) {
    fast_kernel_fn kernel = fast_kernel_for(choose_simd_path(portable));
    std::vector<double> G = {0.5, 0.0, 0.25, 0.5, 3.0};  // a zero uniform
    EXPECT_FALSE(kernel(G.data(), layout).ok);
    G = {0.5, 0.5, 0.25, 0.5, 0x1p600};
    EXPECT_FALSE(kernel(G.data(), layout).ok);
    G = {0.5, 0.5, 0.25, 0.5, 0x1p-600};
    EXPECT_FALSE(kernel(G.data(), layout).ok);
    G = {0.5, 0.5, 0.25, 0.5, 3.0};
    EXPECT_TRUE(kernel(G.data(), layout).ok);
  }
}

// Product cells grouped by their d (integer counts, as the reader forms
// alpha = count + 1.0001): the AVX2 path's group products stay within the
// bound, with the groups' extra term, of the literal log-kernel, and give
// the same G as the portable path's cell-by-cell logarithms.
TEST(fast_kernel, grouped_products_are_within_the_bound) {
  std::mt19937_64 rng(9);
  for (int n : {3, 7, 21, 55, 210}) {
    std::vector<double> alpha(n + 1, 0);
    alpha[0] = n;
    for (int i = 1; i <= n; i++) alpha[i] = static_cast<double>(rng() % (i % 3 ? 5 : 40)) + 1.0001;
    draw_plan plan = make_draw_plan(alpha.data(), n);
    ASSERT_FALSE(plan.groups.empty());
    // The draw in kernel layout: a product cell's slot holds its product.
    std::vector<double> cell_alpha(n + 1, 0);
    cell_alpha[0] = n;
    std::vector<double> layout_alpha;
    for (int i = 1; i <= n; i++)
      if (alpha[i] >= 6) layout_alpha.push_back(alpha[i]);
    std::vector<double> product_alpha(static_cast<size_t>(plan.np));
    int k = 0;
    for (int i = 1; i <= n; i++)
      if (alpha[i] < 6) product_alpha[static_cast<size_t>(plan.product_cells[k++].slot)] = alpha[i];
    layout_alpha.insert(layout_alpha.begin(), product_alpha.begin(), product_alpha.end());
    for (int i = 1; i <= n; i++) cell_alpha[i] = layout_alpha[static_cast<size_t>(i - 1)];
    for (int rep = 0; rep < 200; rep++) {
      draw d = make_draw(rng, cell_alpha, plan.np);
      std::vector<double> g1 = d.G, g2 = d.G;
      fast_kernel_result a = fast_kernel_portable(g1.data(), plan.layout());
      fast_kernel_result b = fast_kernel_for(choose_simd_path(false))(g2.data(), plan.layout());
      ASSERT_TRUE(a.ok && b.ok);
      EXPECT_EQ(g1, g2);
      EXPECT_LE(std::fabs(a.L - d.L_literal), plan.bound(a.magnitude));
      EXPECT_LE(std::fabs(b.L - d.L_literal), plan.bound(b.magnitude));
      EXPECT_LT(plan.bound(b.magnitude), 1e-4);
    }
  }
}
