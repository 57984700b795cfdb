#include "evidence/monte_carlo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "evidence/equilibrium.h"

using namespace drevel;

static std::vector<double> alpha_of(const std::vector<double>& counts) {
  std::vector<double> alpha(counts.size() + 1);
  alpha[0] = static_cast<double>(counts.size());
  for (size_t n = 0; n < counts.size(); n++) alpha[n + 1] = counts[n] + 1.0001;
  return alpha;
}

static rand48_state advanced(long long steps) {
  rand48_state g;
  for (long long i = 0; i < steps; i++) drand48(g);
  return g;
}

struct outcome {
  double r;
  int64_t draws;
  rand48_state after;
};

// A whole estimate with the tuning defaults of a run: 0.005, 500c, 10000c.
static outcome estimate(int k, const std::vector<double>& counts) {
  int c = k * (k + 1) / 2;
  std::vector<double> alpha = alpha_of(counts), h(c + 1);
  double L_hyp;
  Find_Argmax_Hyp(alpha.data(), h.data(), &L_hyp, k, c);
  outcome o;
  o.r = evidag_mtcar(alpha.data(), L_hyp, 10000 * c, 500 * c, 0.005, c, o.after, &o.draws);
  return o;
}

TEST(monte_carlo, reference_runs_reproduce_to_the_last_draw) {
  outcome a = estimate(2, {10, 20, 30});
  EXPECT_EQ(a.draws, 30000);
  EXPECT_EQ(a.r, 25513.0 / 30000);
  EXPECT_EQ(a.after, advanced(554952));

  outcome b = estimate(2, {0, 0, 0});
  EXPECT_EQ(b.draws, 29400);
  EXPECT_EQ(b.r, 3683.0 / 29400);
  EXPECT_EQ(b.after, advanced(88200));

  outcome c = estimate(3, {20, 10, 5, 3, 7, 12});
  EXPECT_EQ(c.draws, 3000);
  EXPECT_EQ(c.r, 1);
  EXPECT_EQ(c.after, advanced(104443));
}

TEST(monte_carlo, process_stream_form_continues_the_process_stream) {
  std::vector<double> alpha = alpha_of({1, 2, 3});
  rand48_state mine;
  int64_t draws;
  double r_local = evidag_mtcar(alpha.data(), -2.0, 100, 100, 0.5, 3, mine, &draws);
  double r_process = evidag_mtcar(alpha.data(), -2.0, 100, 100, 0.5, 3);
  EXPECT_EQ(r_local, r_process);  // the process stream was at its start too
  EXPECT_EQ(draws, 100);
}

// Draw counts of the stopping rule, with thresholds that make every draw a
// hit (-inf), none (+inf), or a mix.
static int64_t draws_for(double L_hyp, int32_t maxmc, int32_t minmc, double precision) {
  std::vector<double> alpha = alpha_of({3, 4, 5});
  rand48_state g;
  int64_t draws;
  evidag_mtcar(alpha.data(), L_hyp, maxmc, minmc, precision, 3, g, &draws);
  return draws;
}

TEST(monte_carlo, stopping_rule_counts_draws_in_hundreds) {
  const double mixed = -8.0;  // roughly half of the draws of alpha_of({3, 4, 5})
  EXPECT_EQ(draws_for(mixed, 100000, 150, 10.0), 200);   // earliest stop past minmc 150
  EXPECT_EQ(draws_for(mixed, 1050, 1100, 0.0), 1100);    // maxmc below minmc
  EXPECT_EQ(draws_for(mixed, 120, 250, 1e-9), 300);
  EXPECT_EQ(draws_for(mixed, 0, 0, 0.0), 100);
  EXPECT_EQ(draws_for(mixed, -5, -7, -1.0), 100);
  EXPECT_EQ(draws_for(mixed, 1000, 400, -1.0), 1000);    // precision never met
  EXPECT_EQ(draws_for(-INFINITY, 1000000, 400, 1e-12), 400);  // all hits: both widths 0
  EXPECT_EQ(draws_for(INFINITY, 1000000, 400, 1e-12), 400);   // no hits
  EXPECT_EQ(draws_for(INFINITY, 1000000, 400, 0.0), 1000000); // 0 < 0 never holds
}

TEST(monte_carlo, wide_count_ends_at_the_largest_maximum) {
  // Only the count and the comparison matter here: N must pass 2147483600
  // without wrapping.  Checked on the stopping test itself.
  mc_check wide{0.5, 1.0, 1.0};
  EXPECT_FALSE(mc_stop(2147483600, 2147483647, 2147483647, wide, 0.005));
  EXPECT_TRUE(mc_stop(2147483700, 2147483647, 2147483647, wide, 0.005));
  EXPECT_FALSE(mc_stop(100, 150, 100, mc_check{0.5, 0, 0}, 1.0));
  EXPECT_TRUE(mc_stop(200, 150, 100000, mc_check{0.5, 0, 0}, 1.0));
  EXPECT_FALSE(mc_stop(200, 150, 100000, mc_check{0.5, 0.0, 1.0}, 1.0));  // both must undercut
}

static mc_check check_after(int hits, int draws) {
  mc_sums s;
  for (int i = 0; i < draws; i++) mc_add_draw(s, i < hits ? 1 : 0);
  return mc_check_sums(s, draws);
}

TEST(monte_carlo, check_half_widths) {
  mc_check one = check_after(1, 100);
  EXPECT_EQ(one.r, 0.01);
  EXPECT_NEAR(one.HF, 0.025755, 5e-7);
  EXPECT_NEAR(one.HD, 0.025755, 5e-7);
  mc_check half = check_after(50, 100);
  EXPECT_EQ(half.r, 0.5);
  EXPECT_NEAR(half.HF, 0.129422, 5e-7);
  EXPECT_NEAR(half.HD, std::sqrt(0.01675), 1e-12);
  mc_check all = check_after(300, 300);
  EXPECT_EQ(all.r, 1);
  EXPECT_EQ(all.HF, 0);
  EXPECT_EQ(all.HD, 0);
  mc_check none = check_after(0, 300);
  EXPECT_EQ(none.r, 0);
  EXPECT_EQ(none.HF, 0);
  EXPECT_EQ(none.HD, 0);
}

TEST(monte_carlo, negative_discriminant_gives_fieller_width_one) {
  mc_sums s;  // sums that no unit-weight run makes: Sx > Sw
  s.Sw = s.Sww = 100;
  s.Sx = s.Sxw = 150;
  s.Sz = s.Szw = 0;
  EXPECT_EQ(mc_check_sums(s, 100).HF, 1.0);
}
